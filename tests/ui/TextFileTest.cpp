#include "ui/TextFile.h"

#include "tests/support/FileBytes.h"
#include "tests/support/Thrown.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

TEST(TextFile, AppendWritesUtf8ReadingTakesOtherBytesAsWindows1252AndFailuresAreNumbered)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.txt");
    ui::appendText(path, QStringLiteral("\r\n\r\nselect 1\r\n"));
    ui::appendText(path, QStringLiteral("\r\n\r\nselect 'Мир 漢字 😀'\r\n"));

    EXPECT_EQ(ui::readTextFile(path), QStringLiteral("\r\n\r\nselect 1\r\n\r\n\r\nselect 'Мир 漢字 😀'\r\n"));
    EXPECT_TRUE(qvtest::fileBytes(path).contains("\xD0\x9C\xD0\xB8\xD1\x80"))
        << "written as UTF-8 on a UTF-8 system";

    // Bytes that are not UTF-8.
    qvtest::writeBytes(path, "caf\xE9 \x80 \x93quoted\x94 \x81");
    EXPECT_EQ(ui::readTextFile(path), QStringLiteral("café € “quoted” \u0081"));

    ui::deleteFile(path);
    EXPECT_FALSE(QFile::exists(path));

    // Failures carry the platform's number and description.
    const QString missing = dir.filePath("nothing-here.sql");
    const auto e = qvtest::thrown<ui::FileError>([&] { ui::readTextFile(missing); });
    EXPECT_TRUE(e && e->number == ENOENT && !e->description.isEmpty());
    EXPECT_THROW(ui::deleteFile(missing), ui::FileError);
    EXPECT_THROW(ui::appendText(dir.filePath("no/such/folder/x.log"), "x"), ui::FileError);
}
