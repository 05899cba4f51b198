#include "platform/gnome_slideshow.h"

#include <glib.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// One <static> (from == to) or <transition> of the show.
struct Slide {
    double duration = 0.0;
    std::string from;
    std::string to;
};

// Walks the XML: the start time's fields, and each slide's duration and pictures.
class SlideShowReader {
  public:
    explicit SlideShowReader(const std::string& xml) {
        static const GMarkupParser parser = {&SlideShowReader::Open, &SlideShowReader::Close,
                                             &SlideShowReader::Text, nullptr, nullptr};
        GMarkupParseContext* context =
            g_markup_parse_context_new(&parser, GMarkupParseFlags(0), this, nullptr);
        g_markup_parse_context_parse(context, xml.data(), gssize(xml.size()), nullptr);
        g_markup_parse_context_free(context);
    }

    std::tm start{};
    std::vector<Slide> slides;

  private:
    static SlideShowReader& Self(gpointer self) { return *static_cast<SlideShowReader*>(self); }

    static void Open(GMarkupParseContext*, const gchar* element, const gchar** names,
                     const gchar** values, gpointer self, GError**) {
        SlideShowReader& reader = Self(self);
        const std::string name = element;
        reader.elements_.push_back(name);
        reader.text_.clear();
        if (name == "static" || name == "transition") reader.slides.emplace_back();
        if (name == "size") {
            reader.sizeWidth_ = 0;
            for (int i = 0; names[i]; ++i) {
                if (g_strcmp0(names[i], "width") == 0) reader.sizeWidth_ = std::atoi(values[i]);
            }
        }
    }

    static void Text(GMarkupParseContext*, const gchar* text, gsize length, gpointer self,
                     GError**) {
        Self(self).text_.append(text, length);
    }

    static void Close(GMarkupParseContext*, const gchar* element, gpointer self, GError**) {
        SlideShowReader& reader = Self(self);
        const std::string name = element;
        const std::string text = Stripped(reader.text_);
        reader.text_.clear();
        reader.elements_.pop_back();
        const std::string parent = reader.elements_.empty() ? "" : reader.elements_.back();
        if (parent == "starttime") reader.SetStartField(name, std::atoi(text.c_str()));
        if (reader.slides.empty()) return;
        Slide& slide = reader.slides.back();
        if (name == "duration") slide.duration = std::atof(text.c_str());
        if (name == "size" && reader.sizeWidth_ >= reader.bestWidth_) {
            reader.bestWidth_ = reader.sizeWidth_;
            reader.bestSize_ = text;
        }
        if (name == "file" || name == "from" || name == "to") {
            const std::string picture = text.empty() ? reader.bestSize_ : text;
            reader.bestSize_.clear();
            reader.bestWidth_ = 0;
            if (name != "to") slide.from = picture;
            if (name != "from") slide.to = picture;
        }
    }

    static std::string Stripped(const std::string& text) {
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        if (first == std::string::npos) return "";
        return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    }

    void SetStartField(const std::string& field, int value) {
        if (field == "year") start.tm_year = value - 1900;
        if (field == "month") start.tm_mon = value - 1;
        if (field == "day") start.tm_mday = value;
        if (field == "hour") start.tm_hour = value;
        if (field == "minute") start.tm_min = value;
        if (field == "second") start.tm_sec = value;
    }

    std::vector<std::string> elements_;
    std::string text_;
    int sizeWidth_ = 0;
    int bestWidth_ = 0;
    std::string bestSize_;
};

}  // namespace

bool IsSlideShow(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".xml") == 0;
}

std::string CurrentSlide(const std::string& xml, std::time_t now) {
    SlideShowReader reader(xml);
    double total = 0.0;
    for (const Slide& slide : reader.slides) total += std::max(0.0, slide.duration);
    if (reader.slides.empty()) return "";
    if (!(total > 0.0)) return reader.slides.front().from;
    // The show's times are local times, as GNOME reads them.
    reader.start.tm_isdst = -1;
    const std::time_t start = std::mktime(&reader.start);
    double into = std::fmod(std::difftime(now, start), total);
    if (into < 0.0) into += total;
    for (const Slide& slide : reader.slides) {
        const double duration = std::max(0.0, slide.duration);
        if (into < duration) return into < duration / 2.0 ? slide.from : slide.to;
        into -= duration;
    }
    return reader.slides.back().to;
}
