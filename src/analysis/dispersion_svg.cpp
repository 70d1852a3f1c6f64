#include "analysis/dispersion_svg.h"

#include "analysis/messages.h"
#include "core/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace lexmora {

namespace {

constexpr int kMargin = 10;
constexpr int kWordsRight = 250; // right edges of the number columns
constexpr int kHitsRight = 305;
constexpr int kPerThousandRight = 370;
constexpr int kBarLeft = 385;
constexpr int kLineHeight = 18;
constexpr std::size_t kNameChars = 34; // longer names keep their end, where they differ most
constexpr const char* kColours[] = {"#1f4e9c", "#c0392b", "#2e7d32", "#7b1fa2",
                                    "#d35400", "#00838f", "#7f6000", "#c2185b"};
constexpr int kShades = 5; // darker where more hits fall on one pixel

const char* colourOf(std::size_t keyword) {
    return kColours[keyword % (sizeof kColours / sizeof kColours[0])];
}

// Windows-1252 text as XML character data or attribute value (UTF-8); control characters,
// which XML 1.0 cannot hold, become "?".
std::string xmlText(std::string_view cp1252) {
    std::string clean(cp1252);
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    std::string out;
    for (const char c : cp1252ToUtf8(clean)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string shortName(const std::string& name) {
    if (name.size() <= kNameChars)
        return xmlText(name);
    return "\xE2\x80\xA6" + xmlText(std::string_view(name).substr(name.size() - kNameChars + 1));
}

std::string grouped(std::int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return n < 0 ? "-" + digits : digits;
}

std::string fixed(const std::optional<double>& value, int decimals) {
    if (!value)
        return "n/a";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, *value);
    return buffer;
}

std::string text(int x, int y, const std::string& content, const char* anchor = nullptr,
                 const char* extra = "") {
    std::string out = "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"";
    if (anchor != nullptr)
        out += std::string(" text-anchor=\"") + anchor + "\"";
    return out + extra + ">" + content + "</text>\n";
}

// The shade of a mark: 1 for a single hit up to kShades for many on one pixel.
int shadeOf(int hits) {
    return std::min(hits, kShades);
}

// One line per keyword: its colour (the legend) and its measures.
std::string measuresBlock(const DispersionData& data, int top) {
    std::string out;
    for (std::size_t k = 0; k < data.keywords.size(); ++k) {
        const DispersionMeasures m = MeasureKeyword(data, data.keywords[k]);
        const int y = top + static_cast<int>(k) * kLineHeight;
        out += "<rect x=\"" + std::to_string(kMargin) + "\" y=\"" + std::to_string(y - 10) +
               "\" width=\"10\" height=\"10\" fill=\"" + colourOf(k) + "\"/>\n";
        const std::string line = xmlText(data.keywords[k].keyword) + ": " + grouped(m.hits) +
                                 " hits, range " + grouped(m.range) + " of " + grouped(m.parts) +
                                 " files (" + fixed(m.rangeShare * 100.0, 1) + "%), Juilland's D " +
                                 fixed(m.juillandD, 3) + ", DP " + fixed(m.dp, 3) + ", DPnorm " +
                                 fixed(m.dpNorm, 3);
        out += text(kMargin + 16, y, line);
    }
    return out;
}

std::string headings(int y) {
    const char* bold = " font-weight=\"bold\"";
    return text(kMargin, y, "file", nullptr, bold) + text(kWordsRight, y, "words", "end", bold) +
           text(kHitsRight, y, "hits", "end", bold) +
           text(kPerThousandRight, y, "per 1,000", "end", bold) +
           text(kBarLeft, y, "place of each hit in the file", nullptr, bold);
}

struct RowGeometry {
    int barWidth = 0; // of the longest file
    std::int64_t mostWords = 0;
    int height = 0, bandHeight = 0;
};

// One file's row: its figures, its bar, and a band of marks per keyword.
std::string fileRow(const DispersionData& data, std::size_t f, int y, const RowGeometry& g) {
    const DispersionFile& file = data.files[f];
    std::int64_t hits = 0;
    for (const KeywordPlaces& k : data.keywords)
        hits += f < k.places.size() ? static_cast<std::int64_t>(k.places[f].size()) : 0;
    const int baseline = y + g.height - 5;
    std::string out =
        text(kMargin, baseline, shortName(file.name)) +
        text(kWordsRight, baseline, grouped(file.words), "end") +
        text(kHitsRight, baseline, grouped(hits), "end") +
        text(kPerThousandRight, baseline, fixed(PerThousand(hits, file.words), 2), "end");
    const int bar = g.mostWords > 0
                        ? std::max<int>(1, static_cast<int>(file.words * g.barWidth / g.mostWords))
                        : 1;
    out += "<rect class=\"bar\" x=\"" + std::to_string(kBarLeft) + "\" y=\"" +
           std::to_string(y + 2) + "\" width=\"" + std::to_string(bar) + "\" height=\"" +
           std::to_string(g.height - 4) + "\"/>\n";
    for (std::size_t k = 0; k < data.keywords.size(); ++k) {
        if (f >= data.keywords[k].places.size() || data.keywords[k].places[f].empty())
            continue;
        const int bandTop = y + 2 + static_cast<int>(k) * g.bandHeight;
        out += "<g class=\"k" + std::to_string(k % 8) + "\" transform=\"translate(" +
               std::to_string(kBarLeft) + "," + std::to_string(bandTop) + ")\">";
        const std::string tail =
            "\" width=\"1\" height=\"" + std::to_string(g.bandHeight) + "\" class=\"s";
        for (const PlotMark& m : MergeMarks(data.keywords[k].places[f], file.words, bar))
            out += "<rect x=\"" + std::to_string(m.x) + tail + std::to_string(shadeOf(m.hits)) +
                   "\"/>";
        out += "</g>\n";
    }
    return out;
}

std::string styleBlock() {
    std::string out = "<style>\ntext{font-family:sans-serif;font-size:12px;fill:#222}\n"
                      ".bar{fill:#eceff1;stroke:#b0bec5;stroke-width:0.5}\n";
    for (std::size_t k = 0; k < 8; ++k)
        out += ".k" + std::to_string(k) + " rect{fill:" + colourOf(k) + "}\n";
    for (int s = 1; s <= kShades; ++s)
        out += ".s" + std::to_string(s) +
               "{fill-opacity:" + fixed(0.35 + 0.65 * (s - 1) / (kShades - 1), 2) + "}\n";
    return out + "</style>\n";
}

} // namespace

int MarkPixel(std::uint32_t wordsBefore, std::int64_t fileWords, int barWidth) {
    if (fileWords <= 0 || barWidth <= 0)
        return 0;
    const std::int64_t x = static_cast<std::int64_t>(wordsBefore) * barWidth / fileWords;
    return static_cast<int>(std::clamp<std::int64_t>(x, 0, barWidth - 1));
}

std::vector<PlotMark> MergeMarks(std::span<const std::uint32_t> wordsBefore, std::int64_t fileWords,
                                 int barWidth) {
    std::vector<int> pixels;
    pixels.reserve(wordsBefore.size());
    for (const std::uint32_t before : wordsBefore)
        pixels.push_back(MarkPixel(before, fileWords, barWidth));
    std::sort(pixels.begin(), pixels.end());
    std::vector<PlotMark> marks;
    for (const int x : pixels) {
        if (marks.empty() || marks.back().x != x)
            marks.push_back({x, 0});
        ++marks.back().hits;
    }
    return marks;
}

std::string DispersionSvg(const DispersionData& data, int width) {
    width = std::clamp(width, kMinPlotWidth, kMaxPlotWidth);
    RowGeometry g;
    g.barWidth = width - kBarLeft - kMargin;
    for (const DispersionFile& file : data.files)
        g.mostWords = std::max(g.mostWords, file.words);
    const int keywords = std::max<int>(1, static_cast<int>(data.keywords.size()));
    g.bandHeight = keywords == 1 ? 12 : std::max(4, 16 / keywords);
    g.height = g.bandHeight * keywords + 6;
    const int measuresTop = 44;
    const int headingY = measuresTop + keywords * kLineHeight + 8;
    const int rowsTop = headingY + 6;
    const int height = rowsTop + static_cast<int>(data.files.size()) * g.height + kMargin;
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
                      std::to_string(width) + "\" height=\"" + std::to_string(height) +
                      "\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(height) +
                      "\">\n";
    out += styleBlock();
    out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    out +=
        text(kMargin, 22,
             "Dispersion over " + grouped(static_cast<std::int64_t>(data.files.size())) + " files",
             nullptr, " font-size=\"15px\" font-weight=\"bold\"");
    out += measuresBlock(data, measuresTop);
    out += headings(headingY);
    for (std::size_t f = 0; f < data.files.size(); ++f)
        out += fileRow(data, f, rowsTop + static_cast<int>(f) * g.height, g);
    return out + "</svg>\n";
}

Status SaveDispersionSvg(const std::string& svg, const std::string& path, Placement placement) {
    StagedFile file(path);
    if (!file.valid())
        return Failure(analysis::msg::DispersionCannotSavePicture(path, file.systemError()),
                       FailureCode::CannotWrite, file.systemError());
    file.append(svg);
    switch (file.commit(placement)) {
    case PlaceOutcome::Placed:
        return Status::success();
    case PlaceOutcome::NameTaken:
        return Failure(analysis::msg::DispersionPictureExists(path), FailureCode::CannotWrite,
                       EEXIST);
    case PlaceOutcome::WriteFailed:
        break;
    }
    const int error = file.systemError();
    return Failure(analysis::msg::DispersionCannotSavePicture(path, error),
                   error == ENOSPC ? FailureCode::DiskFull : FailureCode::CannotWrite, error);
}

} // namespace lexmora
