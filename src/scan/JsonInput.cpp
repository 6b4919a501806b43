#include "JsonInput.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace corvale {

namespace {

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

std::string describe(int c)
{
    if (c >= 0x21 && c < 0x7f)
        return std::string("'") + char(c) + "'";
    static const char hex[] = "0123456789abcdef";
    return std::string("the byte 0x") + hex[(c >> 4) & 15] + hex[c & 15];
}

} // namespace

JsonInput::JsonInput(int fd)
    : m_fd(fd)
    , m_buffer(bufferSize)
{
    m_begin = m_pos = m_end = m_buffer.data();
}

JsonInput::JsonInput(std::string_view bytes, std::size_t chunkSize)
    : m_source(bytes)
    , m_chunkSize(chunkSize)
{
    m_begin = m_pos = m_end = bytes.data();
}

bool JsonInput::refill()
{
    // The lines of the buffer being left are counted now, as nothing of it is kept.
    for (const char *p = m_begin; p < m_end;) {
        const char *newline = static_cast<const char *>(std::memchr(p, '\n', std::size_t(m_end - p)));
        if (!newline)
            break;
        ++m_lines;
        m_lineStart = m_base + std::uint64_t(newline - m_begin) + 1;
        p = newline + 1;
    }
    m_base += std::uint64_t(m_end - m_begin);
    if (m_fd < 0) {
        m_begin = m_pos = m_source.data() + m_base;
        m_end = m_begin + std::min<std::uint64_t>(m_chunkSize, m_source.size() - m_base);
        return m_end > m_begin;
    }
    ssize_t n;
    do {
        n = ::read(m_fd, m_buffer.data(), m_buffer.size());
    } while (n < 0 && errno == EINTR);
    m_begin = m_pos = m_end = m_buffer.data();
    if (n < 0)
        fail(ScanFileError::Kind::Io, std::string("The file could not be read: ") + std::strerror(errno));
    m_end += n;
    return n > 0;
}

void JsonInput::fail(ScanFileError::Kind kind, const std::string &what) const
{
    ScanFileError error;
    error.kind = kind;
    error.offset = offset();
    error.line = m_lines + 1;
    std::uint64_t lineStart = m_lineStart;
    for (const char *p = m_begin; p < m_pos; ++p) {
        if (*p == '\n') {
            ++error.line;
            lineStart = m_base + std::uint64_t(p - m_begin) + 1;
        }
    }
    error.column = error.offset - lineStart + 1;
    error.message
        = what + " (line " + std::to_string(error.line) + ", column " + std::to_string(error.column) + ").";
    throw error;
}

void JsonInput::unexpected(const char *what)
{
    const int c = peek();
    if (c < 0)
        fail(ScanFileError::Kind::Truncated,
            std::string("The file ends before the scan does: expected ") + what);
    fail(ScanFileError::Kind::Malformed, std::string("Expected ") + what + " but found " + describe(c));
}

int JsonInput::raw()
{
    if (m_pos == m_end && !refill())
        return -1;
    return static_cast<unsigned char>(*m_pos);
}

int JsonInput::peek()
{
    for (;;) {
        while (m_pos < m_end) {
            const char c = *m_pos;
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
                return static_cast<unsigned char>(c);
            ++m_pos;
        }
        if (!refill())
            return -1;
    }
}

bool JsonInput::take(char c)
{
    if (peek() != static_cast<unsigned char>(c))
        return false;
    ++m_pos;
    return true;
}

void JsonInput::expect(char c, const char *what)
{
    if (!take(c))
        unexpected(what);
}

unsigned JsonInput::readHex4()
{
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
        const int c = raw();
        unsigned digit;
        if (isDigit(c))
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            unexpected("four hexadecimal digits after \\u");
        value = value * 16 + digit;
        ++m_pos;
    }
    return value;
}

void JsonInput::appendUtf8(std::string *out, std::size_t keep, std::size_t &length, char32_t c)
{
    char bytes[4];
    std::size_t n;
    if (c < 0x80) {
        bytes[0] = char(c);
        n = 1;
    } else if (c < 0x800) {
        bytes[0] = char(0xc0 | (c >> 6));
        bytes[1] = char(0x80 | (c & 0x3f));
        n = 2;
    } else if (c < 0x10000) {
        bytes[0] = char(0xe0 | (c >> 12));
        bytes[1] = char(0x80 | ((c >> 6) & 0x3f));
        bytes[2] = char(0x80 | (c & 0x3f));
        n = 3;
    } else {
        bytes[0] = char(0xf0 | (c >> 18));
        bytes[1] = char(0x80 | ((c >> 12) & 0x3f));
        bytes[2] = char(0x80 | ((c >> 6) & 0x3f));
        bytes[3] = char(0x80 | (c & 0x3f));
        n = 4;
    }
    if (out && length < keep)
        out->append(bytes, std::min(n, keep - length));
    length += n;
}

std::size_t JsonInput::readString(std::string *out, std::size_t keep)
{
    if (peek() != '"')
        unexpected("a string");
    ++m_pos;
    if (out)
        out->clear();
    std::size_t length = 0;
    // A \u escape of a high surrogate waits for its low half; alone, either half is U+FFFD.
    char32_t high = 0;
    const auto flushHigh = [&] {
        if (high) {
            appendUtf8(out, keep, length, 0xfffd);
            high = 0;
        }
    };
    for (;;) {
        const char *start = m_pos;
        while (m_pos < m_end) {
            const auto c = static_cast<unsigned char>(*m_pos);
            if (c == '"' || c == '\\' || c < 0x20)
                break;
            ++m_pos;
        }
        if (m_pos > start) {
            flushHigh();
            const std::size_t n = std::size_t(m_pos - start);
            if (out && length < keep)
                out->append(start, std::min(n, keep - length));
            length += n;
        }
        if (m_pos == m_end) {
            if (!refill())
                fail(ScanFileError::Kind::Truncated, "The file ends inside a string");
            continue;
        }
        const auto c = static_cast<unsigned char>(*m_pos);
        if (c == '"') {
            flushHigh();
            ++m_pos;
            return length;
        }
        if (c < 0x20)
            fail(ScanFileError::Kind::Malformed,
                "A string holds a control character that JSON requires to be escaped");
        ++m_pos;
        const int e = raw();
        char simple = 0;
        switch (e) {
        case '"':
        case '\\':
        case '/':
            simple = char(e);
            break;
        case 'b':
            simple = '\b';
            break;
        case 'f':
            simple = '\f';
            break;
        case 'n':
            simple = '\n';
            break;
        case 'r':
            simple = '\r';
            break;
        case 't':
            simple = '\t';
            break;
        case 'u':
            break;
        default:
            if (e < 0)
                fail(ScanFileError::Kind::Truncated, "The file ends inside a string");
            fail(ScanFileError::Kind::Malformed, "A string holds an unknown escape \\" + describe(e));
        }
        ++m_pos;
        if (simple) {
            flushHigh();
            appendUtf8(out, keep, length, char32_t(simple));
            continue;
        }
        const char32_t u = readHex4();
        if (high && u >= 0xdc00 && u <= 0xdfff) {
            appendUtf8(out, keep, length, 0x10000 + ((high - 0xd800) << 10) + (u - 0xdc00));
            high = 0;
            continue;
        }
        flushHigh();
        if (u >= 0xd800 && u <= 0xdbff)
            high = u;
        else
            appendUtf8(out, keep, length, u >= 0xdc00 && u <= 0xdfff ? 0xfffd : u);
    }
}

std::uint64_t JsonInput::readUnsigned()
{
    const int first = peek();
    if (first == '-')
        fail(ScanFileError::Kind::Malformed, "Expected a number of zero or more but found a negative one");
    if (!isDigit(first))
        unexpected("a number");
    std::uint64_t value = 0;
    for (int c = raw(); isDigit(c); c = raw()) {
        if (__builtin_mul_overflow(value, 10u, &value)
            || __builtin_add_overflow(value, unsigned(c - '0'), &value))
            fail(ScanFileError::Kind::TooLarge, "A number is too large (over 18446744073709551615)");
        ++m_pos;
    }
    const int next = raw();
    if (next == '.' || next == 'e' || next == 'E')
        fail(ScanFileError::Kind::Malformed, "Expected a whole number but found a fraction or an exponent");
    return value;
}

std::int64_t JsonInput::readInteger()
{
    const bool negative = take('-');
    if (negative && !isDigit(raw()))
        unexpected("a number");
    const std::uint64_t magnitude = readUnsigned();
    if (magnitude > std::uint64_t(INT64_MAX) + (negative ? 1 : 0))
        fail(ScanFileError::Kind::TooLarge, "A number is too large");
    return negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
}

bool JsonInput::readBool()
{
    const int c = peek();
    if (c == 't') {
        skipLiteral("true");
        return true;
    }
    if (c == 'f') {
        skipLiteral("false");
        return false;
    }
    unexpected("true or false");
}

void JsonInput::skipLiteral(std::string_view word)
{
    for (const char expected : word) {
        if (raw() != static_cast<unsigned char>(expected))
            unexpected(word.data());
        ++m_pos;
    }
}

void JsonInput::skipNumber()
{
    // -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
    if (raw() == '-')
        ++m_pos;
    if (!isDigit(raw()))
        unexpected("a number");
    while (isDigit(raw()))
        ++m_pos;
    if (raw() == '.') {
        ++m_pos;
        if (!isDigit(raw()))
            unexpected("a digit after the decimal point");
        while (isDigit(raw()))
            ++m_pos;
    }
    if (raw() == 'e' || raw() == 'E') {
        ++m_pos;
        if (raw() == '+' || raw() == '-')
            ++m_pos;
        if (!isDigit(raw()))
            unexpected("a digit in the exponent");
        while (isDigit(raw()))
            ++m_pos;
    }
}

void JsonInput::skipValue()
{
    // Iterative, with a small stack of the closers still due: an unknown value is checked, not
    // kept, and its nesting is bounded so that hostile input cannot make the stack grow.
    std::vector<char> closers;
    for (;;) {
        const int c = peek();
        bool opened = false;
        if (c == '{' || c == '[') {
            ++m_pos;
            const char closer = c == '{' ? '}' : ']';
            if (!take(closer)) {
                if (closers.size() == maxSkippedNesting)
                    fail(ScanFileError::Kind::TooLarge, "A value is nested too deeply");
                closers.push_back(closer);
                opened = true;
                if (closer == '}') {
                    readString(nullptr, 0);
                    expect(':', "':'");
                }
            }
        } else if (c == '"') {
            readString(nullptr, 0);
        } else if (c == 't') {
            skipLiteral("true");
        } else if (c == 'f') {
            skipLiteral("false");
        } else if (c == 'n') {
            skipLiteral("null");
        } else if (c == '-' || isDigit(c)) {
            skipNumber();
        } else {
            unexpected("a value");
        }
        if (opened)
            continue;
        // After a value: close what ends here, then go on with the next element, if any.
        for (;;) {
            if (closers.empty())
                return;
            if (take(closers.back())) {
                closers.pop_back();
                continue;
            }
            if (!take(','))
                unexpected(closers.back() == '}' ? "',' or '}'" : "',' or ']'");
            if (closers.back() == '}') {
                readString(nullptr, 0);
                expect(':', "':'");
            }
            break;
        }
    }
}

} // namespace corvale
