#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace formats {

class ktf_text_codec;

// One point of a text export object: x the longitude and y the latitude in degrees; z is
// carried along but not used.
struct KTF_POINT {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Base of the text export parsers. Each parser reads the lines of one block of the text:
// a line beginning with "{" opens it, one beginning with "}" closes it, and every other
// line is a key of its level, some of which start a nested block on the next line.
class CKTF {
public:
    enum : std::int32_t {
        statusParsed = 0,
        statusCannotRead = 1,   // the file cannot be opened or read
        statusBadText = 2,      // no header, or the text ends inside a block
        statusNoMemory = 3,     // no memory for the file's text
        statusUnknownKey = 4,   // a line with a key the level does not know
        statusUnknownType = 5,  // an object type other than the four words
    };

    virtual ~CKTF() = default;

    // Reads the block that starts at the first line of text, up to and including the line
    // that closes it (or to the end of the text), and answers status.
    virtual std::int32_t Parse(std::string_view text);

    std::int32_t status = 0;
    // Where the error was met: the lines the failing parser had read before the line it
    // refused (or before the end of the text), counted from its own first line; a nested
    // block counts with all its lines. Enclosing parsers pass it up unchanged.
    std::int32_t errorLine = 0;
    std::int32_t reserved = 0;
    // Lines read by this parser so far, from its own first line, nested blocks included.
    std::int32_t lineCount = 0;

    // Characters the last Parse read: through the line that closed the block.
    std::size_t GetConsumed() const { return m_nConsumed; }
    // The line of the error counted in the text this parser was given (1 for its first
    // line); 0 when there was none. Only for saying where a file went wrong.
    std::int32_t GetErrorTextLine() const { return m_nErrorTextLine; }

protected:
    CKTF() = default;
    CKTF(const CKTF&) = default;
    CKTF& operator=(const CKTF&) = default;

    // What a key line knows of the text around it, and what a nested block took of it.
    struct line_context {
        std::string_view following;  // the text after the line, where a nested block starts
        std::size_t nested_characters = 0;
        std::int32_t nested_lines = 0;
    };

    // The loop every parser runs over the lines of its block; each key line goes to
    // ParseLine. Answers status.
    std::int32_t ParseLines(std::string_view text);
    // One key line of this level, normalised (no blanks, tabs or line ends). Answers 0 to go
    // on, or the status that ends the parse.
    virtual std::int32_t ParseLine(const std::string& line, line_context& context);
    // Runs a nested parser over the text after the current line and takes over its failure.
    std::int32_t ParseNested(CKTF& block, line_context& context);
    std::int32_t Fail(std::int32_t code);

    // The value of a key line: the text after its last "=", or the whole line.
    static std::string_view ValueOf(const std::string& line);
    // A text value in the system's 8-bit character set, cut to fit the field with its
    // terminator.
    void SetText(char* field, std::size_t size, std::string_view value) const;
    std::string ConvertText(std::string_view value) const;

    // How the text's characters reach the system's character set; set only while parsing.
    const ktf_text_codec* m_pCodec = nullptr;

private:
    std::size_t m_nConsumed = 0;
    std::int32_t m_nErrorTextLine = 0;
};

// An integer value as the text export writes it: an optional sign and the leading digits
// (0 when there are none), wrapped to 32 bits; 16-bit fields keep the low 16 bits.
std::uint32_t ktf_integer(std::string_view value);

// Up to three numbers separated by commas, as "%lf,%lf,%lf" reads them in the C locale;
// answers how many were read, the others keep their values.
int ktf_numbers(std::string_view value, double (&numbers)[3]);

}  // namespace formats
