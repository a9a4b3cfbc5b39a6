#pragma once
// The text of an INI profile as sections of entries, in file order, with the
// comments that go with them. Names compare without regard to ASCII case.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

class IniDocument {
  public:
    struct Entry {
        std::string key;
        std::string value;
        std::string comment;  // whole comment lines, empty when none
    };
    struct Section {
        std::string name;  // empty for the entries above the first section line
        std::string comment;
        std::vector<Entry> entries;
    };

    // The document of an INI text, or why the text is not one: the first
    // control character, or line that is neither a section, an entry nor a
    // comment.
    static ErrorOr<IniDocument> Parse(std::string_view text);

    // Text that Parse reads back as this same document.
    std::string Text() const;

    const std::string* Get(std::string_view section, std::string_view key) const;
    // False, changing nothing, when the names or the value cannot be written
    // so that they read back the same.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    bool CreateSection(std::string_view section);
    bool HasSection(std::string_view section) const;
    // True when a section named section + "\..." exists.
    bool HasSubsections(std::string_view section) const;
    void DeleteSection(std::string_view section);
    void DeleteEntry(std::string_view section, std::string_view key);

    // Makes onto this document the changes that turn before into after:
    // sections and entries removed, sections added, values added or changed.
    // Whatever before and after agree on keeps this document's value.
    void ApplyChanges(const IniDocument& before, const IniDocument& after);

    const std::vector<Section>& Sections() const { return sections_; }
    // Sections and entries together.
    size_t Size() const;
    // Same sections, entries and values, in any order; comments aside.
    bool SameValues(const IniDocument& other) const;

    static bool IsStorableSection(std::string_view name);
    static bool IsStorableKey(std::string_view key);
    static bool IsStorableValue(std::string_view value);

  private:
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;
    Section& SectionNamed(std::string_view name);

    std::string fileComment_;
    std::vector<Section> sections_;
};
