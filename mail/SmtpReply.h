#pragma once

#include <QByteArray>

namespace mail {

// What the server has sent since the last reply was taken. A reply is complete when its
// last line is a final line by the mail standard: it ends in CR LF and its code is not
// followed by "-" (the mark of a line with more to come). So a greeting that arrives in two
// packets, or a multi-line reply cut after one of its lines, is not taken too early.
class ReplyBuffer
{
public:
    void append(const QByteArray& data) { text_ += data; }
    bool ready() const;
    // The reply (one line or several, as received); the buffer is empty afterwards.
    QByteArray take();

private:
    QByteArray text_;
};

// The reply's code: the leading digits of its first blank-separated piece ("250-" and "250"
// both give 250); 0 when it has none.
int replyCode(const QByteArray& reply);

} // namespace mail
