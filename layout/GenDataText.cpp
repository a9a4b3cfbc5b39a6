#include "layout/GenDataText.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "drawing/Windows1252.h"
#include "hostfamily/GenData.h"

namespace {

// Code points of the bytes 0x80..0xFF, from the conversion the other way.
const std::map<char32_t, char>& HighBytes() {
    static const std::map<char32_t, char> table = [] {
        std::map<char32_t, char> bytes;
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const std::string utf8 = Windows1252ToUtf8(std::string(1, static_cast<char>(byte)));
            char32_t c = static_cast<std::uint8_t>(utf8[0]) & (utf8.size() == 2 ? 0x1F : 0x0F);
            for (std::size_t i = 1; i < utf8.size(); ++i) {
                c = (c << 6) | (static_cast<std::uint8_t>(utf8[i]) & 0x3F);
            }
            bytes.emplace(c, static_cast<char>(byte));
        }
        return bytes;
    }();
    return table;
}

// The code points of a UTF-8 text; nothing when it is not well-formed.
std::optional<std::u32string> Decode(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        int extra = -1;
        if (lead < 0x80) {
            extra = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
        }
        if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) {
            return std::nullopt;
        }
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = (c << 6) | (next & 0x3F);
        }
        out.push_back(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

std::string ToDrawingCodePage(std::string_view text) {
    const std::optional<std::u32string> decoded = Decode(text);
    if (!decoded) {
        return std::string(text);
    }
    std::string out;
    out.reserve(decoded->size());
    for (char32_t c : *decoded) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        const auto it = HighBytes().find(c);
        out.push_back(it == HighBytes().end() ? '?' : it->second);
    }
    return out;
}

std::string GenDataText(int kind, double value, int unitProperty) {
    const std::unique_ptr<GenData::CGenericData> datum = GenData::CFactory::New(kind, value);
    if (datum == nullptr) {
        return std::string();
    }
    GenData::CFormat format;
    format.SetProprieteUnite(unitProperty);
    return ToDrawingCodePage(datum->ToString(format));
}

std::string GenDataText(int kind, double value) {
    const std::unique_ptr<GenData::CGenericData> datum = GenData::CFactory::New(kind, value);
    return datum ? ToDrawingCodePage(datum->ToString(GenData::g_DefaultGenDataFormat))
                 : std::string();
}
