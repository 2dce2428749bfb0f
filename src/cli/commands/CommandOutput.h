#pragma once

#include <QString>

#include <cstring>
#include <memory>
#include <string_view>

namespace kelvo {

// What a command prints on its standard output, gathered as UTF-8 bytes and
// written in large pieces: a table or a day of many rows goes out in a few
// writes instead of a conversion and a stream call per field.
class CommandOutput {
public:
    // Keeps everything in memory, for Gathered().
    CommandOutput() = default;
    // Writes to the descriptor whenever a piece is gathered, and at Finish().
    explicit CommandOutput(int fd) : fd_(fd) {}
    CommandOutput(const CommandOutput&) = delete;
    CommandOutput& operator=(const CommandOutput&) = delete;

    CommandOutput& operator<<(std::string_view bytes) {
        if (!bytes.empty()) {
            std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
            Commit(bytes.size());
        }
        return *this;
    }
    CommandOutput& operator<<(char byte) {
        *Room(1) = byte;
        Commit(1);
        return *this;
    }
    CommandOutput& operator<<(const QString& text);

    // Room for size more bytes at the end, for a printer that copies and
    // scans in one pass: fill it, then Commit() the bytes to keep. Anything
    // printed in between gives the room up.
    char* Room(size_t size) {
        return size <= capacity_ - size_ ? buffer_.get() + size_ : MakeRoom(size);
    }
    void Commit(size_t bytes) {
        size_ += bytes;
        if (fd_ >= 0 && size_ >= kPieceBytes)
            WritePiece();
    }

    // Writes what is left; false when any write failed (a full disk, a
    // closed terminal), in which case the rest was dropped.
    bool Finish();

    // What was printed, when kept in memory.
    std::string_view Gathered() const { return {buffer_.get(), size_}; }

private:
    static constexpr size_t kPieceBytes = 256 * 1024;

    char* MakeRoom(size_t size);
    void WritePiece();

    std::unique_ptr<char[]> buffer_;
    size_t size_ = 0;
    size_t capacity_ = 0;
    int fd_ = -1;
    bool failed_ = false;
};

} // namespace kelvo
