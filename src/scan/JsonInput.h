#pragma once

#include "ScanFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvale {

// JSON text read token by token from a file descriptor, one buffer at a time, or from memory.
//
// Nothing is kept of what was read but a count of lines for error messages, so memory stays
// that of the buffer however large the input. Every failure throws a ScanFileError that says
// where it happened. Strings may hold any bytes, valid UTF-8 or not, as the scan format allows
// for names. Used by one thread; does not own the descriptor.
class JsonInput
{
public:
    static constexpr std::size_t bufferSize = 256 * 1024;
    static constexpr std::size_t maxSkippedNesting = 256;

    explicit JsonInput(int fd);
    // Bytes in memory, handed out `chunkSize` at a time as if read (tests cross buffer ends).
    JsonInput(std::string_view bytes, std::size_t chunkSize);

    // The next byte that is not white space, left in place; -1 at the end of the input.
    int peek();
    // Takes the next byte that is not white space if it is `c`.
    bool take(char c);
    // Takes `c` or fails, saying that `what` was expected.
    void expect(char c, const char *what);
    // Reads a string (the next token must be one), keeping its first `keep` bytes in `out` (when
    // given); returns its whole length.
    std::size_t readString(std::string *out, std::size_t keep);
    std::uint64_t readUnsigned();
    std::int64_t readInteger();
    bool readBool();
    // Any JSON value, checked and dropped.
    void skipValue();

    std::uint64_t offset() const { return m_base + std::uint64_t(m_pos - m_begin); }
    [[noreturn]] void fail(ScanFileError::Kind kind, const std::string &what) const;
    // Fails for the token about to be read: "expected `what`", or the end of the input.
    [[noreturn]] void unexpected(const char *what);

private:
    int raw(); // the next byte as it is, -1 at the end
    bool refill();
    void skipNumber();
    void skipLiteral(std::string_view word);
    void appendUtf8(std::string *out, std::size_t keep, std::size_t &length, char32_t c);
    unsigned readHex4();

    int m_fd = -1;
    std::string_view m_source;
    std::size_t m_chunkSize = 0;
    std::vector<char> m_buffer;
    const char *m_begin = nullptr;
    const char *m_pos = nullptr;
    const char *m_end = nullptr;
    std::uint64_t m_base = 0; // offset of m_begin in the input
    std::uint64_t m_lines = 0; // newlines before m_begin
    std::uint64_t m_lineStart = 0; // offset just after the last of them
};

} // namespace corvale
