// The SMTP reply reader: whatever a server sends, in whatever pieces, is taken as whole
// replies only, every byte exactly once and in order, and each reply's code is read without
// harm.
#include "mail/SmtpReply.h"
#include "tests/support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    mail::ReplyBuffer buffer;
    QByteArray sent, taken;
    while (!in.empty()) {
        const std::string_view piece = in.bytes(40);
        sent.append(piece.data(), qsizetype(piece.size()));
        buffer.append(QByteArray(piece.data(), qsizetype(piece.size())));
        while (buffer.ready()) {
            const QByteArray reply = buffer.take();
            FUZZ_CHECK(reply.endsWith("\r\n"));
            FUZZ_CHECK(mail::replyCode(reply) >= 0);
            taken += reply;
        }
    }
    FUZZ_CHECK(sent.startsWith(taken));
    return 0;
}
