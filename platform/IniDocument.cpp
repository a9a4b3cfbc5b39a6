#include "platform/IniDocument.h"

#include <algorithm>
#include <cstdio>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#include <SimpleIni.h>
#pragma GCC diagnostic pop

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kEndTag = "END_OF_TEXT";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsCommentStart(char c) {
    return c == ';' || c == '#';
}

// Tab and line ends are the only control characters a profile holds.
bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// How the reader compares a line with the end tag of a multi-line value:
// trailing blanks go, but never the line's first character.
bool EndsMultiLine(std::string_view line, std::string_view tag) {
    while (line.size() > 1 && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    return SameName(line, tag);
}

// Splits at "\r\n", "\n" or a lone "\r", as the reader does.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line) {
        if (at_ > text_.size() || (at_ == text_.size() && ended_)) {
            return false;
        }
        const size_t end = text_.find_first_of("\r\n", at_);
        if (end == std::string_view::npos) {
            line = text_.substr(at_);
            at_ = text_.size() + 1;
            return true;
        }
        line = text_.substr(at_, end - at_);
        at_ =
            end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
        ended_ = true;
        return true;
    }

  private:
    std::string_view text_;
    size_t at_ = 0;
    bool ended_ = false;
};

ErrorOr<void> CheckBytes(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsControl(text[i])) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(text[i]));
            return Error::Refused("it holds binary data (byte " + std::string(code) +
                                  " at offset " + std::to_string(i) + ")");
        }
    }
    return {};
}

// What is wrong with a line outside a multi-line value, null when nothing is.
// A line that starts such a value gives its end tag.
const char* CheckLine(std::string_view content, std::string& endTag) {
    if (content.empty() || IsCommentStart(content.front())) {
        return nullptr;
    }
    if (content.front() == '[') {
        return content.find(']') == std::string_view::npos ? "opens a section without closing it"
                                                           : nullptr;
    }
    const size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        return "is neither a section, an entry nor a comment";
    }
    if (TrimBlanks(content.substr(0, equals)).empty()) {
        return "is an entry without a name";
    }
    const std::string_view value = TrimBlanks(content.substr(equals + 1));
    if (value.substr(0, 3) == "<<<") {
        endTag = std::string(value.substr(3));
        if (endTag.empty()) {
            return "starts a multi-line value without an end tag";
        }
    }
    return nullptr;
}

// Every line must be blank, a comment, a section, an entry, or part of a
// multi-line value; the reader would silently drop anything else.
ErrorOr<void> CheckLines(std::string_view text) {
    if (ErrorOr<void> bytes = CheckBytes(text); !bytes) {
        return bytes;
    }
    Lines lines(text);
    std::string_view line;
    std::string endTag;
    bool inValue = false;
    int number = 0;
    while (lines.Next(line)) {
        ++number;
        if (inValue) {
            inValue = !EndsMultiLine(line, endTag);
            continue;
        }
        endTag.clear();
        if (const char* wrong = CheckLine(TrimBlanks(line), endTag)) {
            return Error::Refused("line " + std::to_string(number) + " " + wrong);
        }
        inValue = !endTag.empty();
    }
    return {};
}

// The comment lines at the very top, which the reader keeps for the file.
std::string LeadingComment(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    std::string comment;
    while (lines.Next(line) && !line.empty() && IsCommentStart(line.front())) {
        if (!comment.empty()) {
            comment += '\n';
        }
        comment += line;
    }
    return comment;
}

// A multi-line value's line breaks as line feeds. The parser can leave a
// carriage return inside one, which written back would read as a break of
// its own: the value would not survive a save and a load.
std::string WithLineFeeds(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\r') {
            out += value[i];
        } else if (i + 1 >= value.size() || value[i + 1] != '\n') {
            out += '\n';
        }
    }
    return out;
}

bool NeedsMultiLine(std::string_view value) {
    return !value.empty() &&
           (value.find('\n') != std::string_view::npos || IsBlank(value.front()) ||
            IsBlank(value.back()) || value.substr(0, 3) == "<<<");
}

// An end tag that no line of the value could be taken for.
std::string EndTagFor(std::string_view value) {
    for (int n = 0;; ++n) {
        const std::string tag =
            n == 0 ? std::string(kEndTag) : std::string(kEndTag) + "_" + std::to_string(n);
        Lines lines(value);
        std::string_view line;
        bool clash = false;
        while (!clash && lines.Next(line)) {
            clash = EndsMultiLine(line, tag);
        }
        if (!clash) {
            return tag;
        }
    }
}

void WriteEntry(std::string& out, const IniDocument::Entry& entry) {
    if (!entry.comment.empty()) {
        out += entry.comment;
        out += '\n';
    }
    out += entry.key;
    out += " = ";
    if (NeedsMultiLine(entry.value)) {
        const std::string tag = EndTagFor(entry.value);
        out += "<<<" + tag + "\n";
        out += entry.value;
        out += "\n" + tag;
    } else {
        out += entry.value;
    }
    out += '\n';
}

bool HasNoControls(std::string_view text, bool allowLineFeed) {
    return std::none_of(text.begin(), text.end(), [&](char c) {
        return c == '\r' || (c == '\n' && !allowLineFeed) || (c != '\n' && IsControl(c));
    });
}

}  // namespace

ErrorOr<IniDocument> IniDocument::Parse(std::string_view text) {
    // Every leading byte-order mark goes first, so that the line checks see
    // the text exactly as the reader does.
    while (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    if (ErrorOr<void> lines = CheckLines(text); !lines) {
        return lines.GetError();
    }
    CSimpleIniA ini(/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/true);
    if (ini.LoadData(text.data(), text.size()) < 0) {
        return Error::Refused("it could not be parsed");
    }
    IniDocument document;
    document.fileComment_ = LeadingComment(text);
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& section : sections) {
        Section& out = document.sections_.emplace_back();
        out.name = section.pItem;
        out.comment = section.pComment != nullptr && !out.name.empty() ? section.pComment : "";
        const CSimpleIniA::TKeyVal* keys = ini.GetSection(section.pItem);
        if (keys == nullptr) {
            continue;
        }
        std::vector<std::pair<CSimpleIniA::Entry, const char*>> ordered(keys->begin(), keys->end());
        std::sort(ordered.begin(), ordered.end(),
                  [](const auto& a, const auto& b) { return a.first.nOrder < b.first.nOrder; });
        for (const auto& [key, value] : ordered) {
            out.entries.push_back(Entry{key.pItem, WithLineFeeds(value != nullptr ? value : ""),
                                        key.pComment ? key.pComment : ""});
        }
    }
    return document;
}

std::string IniDocument::Text() const {
    std::string out;
    if (!fileComment_.empty()) {
        out += fileComment_;
        out += "\n\n";
    }
    // Entries outside any section come first, where no section line can claim them.
    const Section* root = FindSection("");
    if (root != nullptr) {
        if (root->entries.empty()) {
            out += "[]\n";
        }
        for (const Entry& entry : root->entries) {
            WriteEntry(out, entry);
        }
        out += '\n';
    }
    for (const Section& section : sections_) {
        if (section.name.empty()) {
            continue;
        }
        if (!section.comment.empty()) {
            out += section.comment;
            out += '\n';
        }
        out += "[" + section.name + "]\n";
        for (const Entry& entry : section.entries) {
            WriteEntry(out, entry);
        }
        out += '\n';
    }
    // Without a blank line first, a comment on top would be read as the
    // file's own, and a leading byte-order mark would be dropped.
    if (fileComment_.empty() && !out.empty() &&
        (IsCommentStart(out.front()) ||
         out.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0)) {
        out.insert(out.begin(), '\n');
    }
    return out;
}

IniDocument::Section* IniDocument::FindSection(std::string_view name) {
    for (Section& section : sections_) {
        if (SameName(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
    return const_cast<IniDocument*>(this)->FindSection(name);
}

IniDocument::Section& IniDocument::SectionNamed(std::string_view name) {
    if (Section* section = FindSection(name)) {
        return *section;
    }
    Section& added = sections_.emplace_back();
    added.name = name;
    return added;
}

const std::string* IniDocument::Get(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    for (const Entry& entry : found->entries) {
        if (SameName(entry.key, key)) {
            return &entry.value;
        }
    }
    return nullptr;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsStorableSection(section) || !IsStorableKey(key) || !IsStorableValue(value)) {
        return false;
    }
    Section& target = SectionNamed(section);
    for (Entry& entry : target.entries) {
        if (SameName(entry.key, key)) {
            entry.value = value;
            return true;
        }
    }
    target.entries.push_back(Entry{std::string(key), std::string(value), {}});
    return true;
}

bool IniDocument::CreateSection(std::string_view section) {
    if (!IsStorableSection(section)) {
        return false;
    }
    SectionNamed(section);
    return true;
}

bool IniDocument::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool IniDocument::HasSubsections(std::string_view section) const {
    const std::string prefix = std::string(section) + "\\";
    return std::any_of(sections_.begin(), sections_.end(), [&](const Section& s) {
        return s.name.size() > prefix.size() &&
               SameName(std::string_view(s.name).substr(0, prefix.size()), prefix);
    });
}

void IniDocument::DeleteSection(std::string_view section) {
    std::erase_if(sections_, [&](const Section& s) { return SameName(s.name, section); });
}

void IniDocument::DeleteEntry(std::string_view section, std::string_view key) {
    if (Section* found = FindSection(section)) {
        std::erase_if(found->entries, [&](const Entry& e) { return SameName(e.key, key); });
    }
}

void IniDocument::ApplyChanges(const IniDocument& before, const IniDocument& after) {
    for (const Section& section : before.sections_) {
        if (!after.HasSection(section.name)) {
            DeleteSection(section.name);
            continue;
        }
        for (const Entry& entry : section.entries) {
            if (after.Get(section.name, entry.key) == nullptr) {
                DeleteEntry(section.name, entry.key);
            }
        }
    }
    for (const Section& section : after.sections_) {
        SectionNamed(section.name);
        for (const Entry& entry : section.entries) {
            const std::string* old = before.Get(section.name, entry.key);
            if (old == nullptr || *old != entry.value) {
                Set(section.name, entry.key, entry.value);
            }
        }
    }
}

size_t IniDocument::Size() const {
    size_t size = sections_.size();
    for (const Section& section : sections_) {
        size += section.entries.size();
    }
    return size;
}

bool IniDocument::SameValues(const IniDocument& other) const {
    const auto contained = [](const IniDocument& a, const IniDocument& b) {
        for (const Section& section : a.sections_) {
            if (!b.HasSection(section.name)) {
                return false;
            }
            for (const Entry& entry : section.entries) {
                const std::string* value = b.Get(section.name, entry.key);
                if (value == nullptr || *value != entry.value) {
                    return false;
                }
            }
        }
        return true;
    };
    return contained(*this, other) && contained(other, *this);
}

bool IniDocument::IsStorableSection(std::string_view name) {
    return HasNoControls(name, false) && name.find(']') == std::string_view::npos &&
           TrimBlanks(name).size() == name.size();
}

bool IniDocument::IsStorableKey(std::string_view key) {
    return !key.empty() && HasNoControls(key, false) && key.find('=') == std::string_view::npos &&
           TrimBlanks(key).size() == key.size() && key.front() != '[' &&
           !IsCommentStart(key.front());
}

bool IniDocument::IsStorableValue(std::string_view value) {
    return HasNoControls(value, true);
}
