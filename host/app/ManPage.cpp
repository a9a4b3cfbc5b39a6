#include "host/app/ManPage.h"

#include <cctype>
#include <sstream>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#include <CLI/CLI.hpp>
#pragma GCC diagnostic pop

namespace {

// Text as roff reads it literally: backslashes and minus signs escaped, and
// no line taken for a request.
std::string Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    return out;
}

// Lines of help text, which wrap for a terminal, joined into one filled
// paragraph; a line starting with a dot or quote would be a request.
std::string Paragraph(const std::string& text) {
    std::istringstream lines(text);
    std::string out;
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) {
            continue;
        }
        std::string escaped = Escape(line.substr(start));
        if (escaped[0] == '.' || escaped[0] == '\'') {
            escaped.insert(0, "\\&");
        }
        out += escaped + "\n";
    }
    return out;
}

// The footer's paragraphs, split at its blank lines.
std::string Paragraphs(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\n\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string body = Paragraph(text.substr(start, end - start));
        if (!body.empty()) {
            out += ".PP\n" + body;
        }
        start = end + 2;
    }
    return out;
}

// "-h,--help" as "\fB\-h\fR, \fB\-\-help\fR", followed by its value's name.
std::string OptionHead(const CLI::Option& option) {
    std::string names = option.get_name(false, true);
    std::string head;
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t end = names.find(',', start);
        if (end == std::string::npos) {
            end = names.size();
        }
        head +=
            (head.empty() ? "\\fB" : ", \\fB") + Escape(names.substr(start, end - start)) + "\\fR";
        start = end + 1;
    }
    if (!option.get_type_name().empty() && option.get_expected_max() != 0) {
        head += " \\fI" + Escape(option.get_type_name()) + "\\fR";
    }
    return head;
}

}  // namespace

std::string ManPage(const CLI::App& app, const std::string& summary, const std::string& version) {
    const std::string name = app.get_name();
    std::string upper = name;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string page = ".TH " + Escape(upper) + " 1 \"\" \"" + Escape(name + " " + version) +
                       "\" \"User Commands\"\n";
    page += ".SH NAME\n" + Escape(name) + " \\- " + Escape(summary) + "\n";
    page += ".SH SYNOPSIS\n.B " + Escape(name) + "\n[\\fIOPTIONS\\fR]\n";
    page += ".SH DESCRIPTION\n" + Paragraph(app.get_description());
    page += ".SH OPTIONS\n";
    for (const CLI::Option* option : app.get_options()) {
        page += ".TP\n" + OptionHead(*option) + "\n" + Paragraph(option->get_description());
    }
    page += ".SH NOTES\n" + Paragraphs(app.get_footer());
    return page;
}
