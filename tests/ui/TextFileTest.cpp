#include "ui/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

TEST(TextFile, AppendWritesUtf8AndReadingTakesOtherBytesAsWindows1252)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.txt");
    ui::appendText(path, QStringLiteral("\r\n\r\nselect 1\r\n"));
    ui::appendText(path, QStringLiteral("\r\n\r\nselect 'Мир 漢字 😀'\r\n"));

    EXPECT_EQ(ui::readTextFile(path), QStringLiteral("\r\n\r\nselect 1\r\n\r\n\r\nselect 'Мир 漢字 😀'\r\n"));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadWrite));
    EXPECT_TRUE(written.readAll().contains("\xD0\x9C\xD0\xB8\xD1\x80"))
        << "written as UTF-8 on a UTF-8 system";

    // Bytes that are not UTF-8.
    ASSERT_TRUE(written.resize(0));
    written.write("caf\xE9 \x80 \x93quoted\x94 \x81");
    written.close();
    EXPECT_EQ(ui::readTextFile(path), QStringLiteral("café € “quoted” \u0081"));
}

TEST(TextFile, FailuresCarryThePlatformNumberAndDescription)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("nothing-here.sql");

    try {
        ui::readTextFile(missing);
        FAIL() << "reading a missing file succeeded";
    } catch (const ui::FileError& e) {
        EXPECT_EQ(e.number, ENOENT);
        EXPECT_FALSE(e.description.isEmpty());
    }
    EXPECT_THROW(ui::deleteFile(missing), ui::FileError);
    EXPECT_THROW(ui::appendText(dir.filePath("no/such/folder/x.log"), "x"), ui::FileError);

    const QString present = dir.filePath("present.txt");
    ui::appendText(present, "x");
    ui::deleteFile(present);
    EXPECT_FALSE(QFile::exists(present));
}
