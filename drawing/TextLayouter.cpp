#include "drawing/TextLayouter.h"

#include <cstring>
#include <unordered_map>

#include "platform/CairoHandles.h"

namespace {

// Beyond this many texts the cache starts afresh; a frame draws a few dozen.
constexpr std::size_t kMaxTexts = 1024;

struct Font {
    PangoFontDescriptionPtr description;
    double ascent = 0.0;
    double lineHeight = 0.0;
};

struct Entry {
    PangoLayoutPtr pango;
    TextLayouter::Layout layout;
};

std::string SizeKey(const std::string& family, double size) {
    std::string key(family);
    key.push_back('\0');
    key.append(reinterpret_cast<const char*>(&size), sizeof size);
    return key;
}

class Cache {
  public:
    Cache() : context_(pango_font_map_create_context(pango_cairo_font_map_get_default())) {
        // Fixed rendering options: the same text gives the same pixels
        // whatever the surface's defaults.
        const CairoFontOptionsPtr options(cairo_font_options_create());
        cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(context_.get(), options.get());
        pango_context_set_language(context_.get(), pango_language_from_string("en"));
        pango_context_set_base_dir(context_.get(), PANGO_DIRECTION_LTR);
    }

    const Font* FindFont(const std::string& family, double size) {
        const std::string key = SizeKey(family, size);
        auto it = fonts_.find(key);
        if (it != fonts_.end()) {
            return &it->second;
        }
        Font font;
        font.description.reset(pango_font_description_new());
        pango_font_description_set_family(font.description.get(), family.c_str());
        pango_font_description_set_weight(font.description.get(), PANGO_WEIGHT_BOLD);
        pango_font_description_set_absolute_size(font.description.get(), size * PANGO_SCALE);
        const PangoFontMetricsPtr metrics(
            pango_context_get_metrics(context_.get(), font.description.get(), nullptr));
        if (metrics == nullptr) {
            return nullptr;
        }
        font.ascent = pango_font_metrics_get_ascent(metrics.get()) / double(PANGO_SCALE);
        // The font's line spacing, its gap between lines included.
        font.lineHeight = pango_font_metrics_get_height(metrics.get()) / double(PANGO_SCALE);
        if (font.lineHeight <= 0.0) {
            font.lineHeight =
                font.ascent + pango_font_metrics_get_descent(metrics.get()) / double(PANGO_SCALE);
        }
        if (fonts_.size() >= kMaxTexts) {
            fonts_.clear();
        }
        return &fonts_.emplace(key, std::move(font)).first->second;
    }

    const TextLayouter::Layout* Get(const std::string& utf8, const std::string& family,
                                    double size) {
        std::string key = SizeKey(family, size);
        key.push_back('\0');
        key += utf8;
        auto it = texts_.find(key);
        if (it != texts_.end()) {
            return &it->second.layout;
        }
        const Font* font = FindFont(family, size);
        if (font == nullptr) {
            return nullptr;
        }
        Entry entry;
        entry.pango.reset(pango_layout_new(context_.get()));
        PangoLayout* layout = entry.pango.get();
        pango_layout_set_font_description(layout, font->description.get());
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        entry.layout.ascent = font->ascent;
        entry.layout.lineHeight = font->lineHeight;
        const int count = pango_layout_get_line_count(layout);
        for (int i = 0; i < count; ++i) {
            PangoLayoutLine* line = pango_layout_get_line_readonly(layout, i);
            PangoRectangle logical;
            pango_layout_line_get_extents(line, nullptr, &logical);
            const double width = logical.width / double(PANGO_SCALE);
            entry.layout.lines.push_back(TextLayouter::Line{line, width});
            if (width > entry.layout.width) {
                entry.layout.width = width;
            }
        }
        if (texts_.size() >= kMaxTexts) {
            texts_.clear();
        }
        return &texts_.emplace(std::move(key), std::move(entry)).first->second.layout;
    }

    void Clear() {
        texts_.clear();
        fonts_.clear();
    }

  private:
    PangoContextPtr context_;
    std::unordered_map<std::string, Font> fonts_;
    std::unordered_map<std::string, Entry> texts_;
};

Cache& ThreadCache() {
    thread_local Cache cache;
    return cache;
}

}  // namespace

const TextLayouter::Layout* TextLayouter::Get(const std::string& utf8, const std::string& family,
                                              double size) {
    return ThreadCache().Get(utf8, family, size);
}

void TextLayouter::ShowLine(cairo_t* cr, const Line& line, double x, double y) {
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout_line(cr, line.line);
}

void TextLayouter::Clear() {
    ThreadCache().Clear();
}
