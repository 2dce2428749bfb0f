#include "commands/CommandOutput.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace kelvo {

CommandOutput& CommandOutput::operator<<(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return *this << std::string_view(utf8.constData(), size_t(utf8.size()));
}

char* CommandOutput::MakeRoom(size_t size) {
    if (fd_ >= 0 && size_ > 0)
        WritePiece();
    if (size > capacity_ - size_) {
        const size_t capacity = std::max({size_ + size, 2 * capacity_, 2 * kPieceBytes});
        auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
        std::copy_n(buffer_.get(), size_, buffer.get());
        buffer_ = std::move(buffer);
        capacity_ = capacity;
    }
    return buffer_.get() + size_;
}

void CommandOutput::WritePiece() {
    size_t done = 0;
    while (!failed_ && done < size_) {
        const ssize_t put = ::write(fd_, buffer_.get() + done, size_ - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            failed_ = true;
        else
            done += size_t(put);
    }
    size_ = 0;
}

bool CommandOutput::Finish() {
    if (fd_ >= 0 && size_ > 0)
        WritePiece();
    return !failed_;
}

} // namespace kelvo
