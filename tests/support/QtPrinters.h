// Readable Qt values in GoogleTest failure messages, and an assertion on the words of a text.
#pragma once

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace qvtest {

// Passes when text holds each of words; a failure names the word missing and shows the text.
inline ::testing::AssertionResult containsAll(const QString& text, const QStringList& words)
{
    for (const QString& word : words)
        if (!text.contains(word))
            return ::testing::AssertionFailure()
                   << '"' << word.toStdString() << "\" missing in \"" << text.toStdString() << '"';
    return ::testing::AssertionSuccess();
}

} // namespace qvtest
