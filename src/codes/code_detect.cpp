#include "codes/code_detect.h"

#include "codes/code_tables.h"
#include "core/paths.h"
#include "core/text_codec.h"

namespace lexmora {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool extensionChar(char c) {
    return c != '.' && c != ' ' && c != ',' && c != ';' && c != '/' && c != '\t';
}

} // namespace

bool ExtensionListed(std::string_view extensions, std::string_view ext) {
    if (ext.size() < 2 || ext[0] != '.')
        return false;
    std::size_t i = 0;
    while ((i = extensions.find('.', i)) != std::string_view::npos) {
        std::size_t end = i + 1;
        while (end < extensions.size() && extensionChar(extensions[end]))
            ++end;
        if (equalsNoCase(extensions.substr(i, end - i), ext))
            return true;
        i = end;
    }
    return false;
}

SourceConversion DetectConversion(std::string_view firstBytes, bool moreFollows) {
    if (startsWith(firstBytes, "\xFF\xFE"))
        return SourceConversion::Utf16LittleEndian;
    if (startsWith(firstBytes, "\xFE\xFF"))
        return SourceConversion::Utf16BigEndian;
    if (startsWith(firstBytes, "\xEF\xBB\xBF"))
        return SourceConversion::Utf8;
    const Utf8Check check = checkUtf8(firstBytes, moreFollows);
    if (check.valid && check.hasMultiByte)
        return SourceConversion::Utf8;
    return SourceConversion::None;
}

int DetectCodeOfText(const ProgramState& state, std::string_view firstBytes,
                     std::string_view fileName) {
    const std::string_view head = firstBytes.substr(0, kSignatureBytes);
    for (std::size_t k = kFirstCodeFile; k < state.CodeRows.size(); ++k) {
        const CodeRow& row = state.CodeRows[k];
        // An empty signature would claim every file.
        if (row.CodeSignature.empty() || !startsWith(head, row.CodeSignature))
            continue;
        if (row.CodeCheckSecond) {
            const auto& second = row.CodeSecondSignature;
            const int position = row.CodeSecondPosition;
            if (position < 1 || static_cast<std::size_t>(position) > head.size() ||
                head.substr(static_cast<std::size_t>(position - 1), second.size()) != second)
                continue;
        }
        return static_cast<int>(k);
    }
    const std::string ext = ExtensionOf(FileNameOf(fileName));
    if (!ext.empty())
        for (std::size_t k = kFirstCodeFile; k < state.CodeRows.size(); ++k)
            if (ExtensionListed(state.CodeRows[k].CodeExtensions, ext))
                return static_cast<int>(k);
    return kCodeAnsi;
}

DetectedCode DetectCode(const ProgramState& state, int codeMode, std::string_view firstBytes,
                        std::string_view fileName, bool moreFollows) {
    DetectedCode detected;
    if (codeMode != kCodeAutomatic) {
        detected.codeIndex = codeMode < kCodeAnsi ? kCodeAnsi : codeMode;
        return detected;
    }
    detected.conversion = DetectConversion(firstBytes, moreFollows);
    if (detected.conversion == SourceConversion::None) {
        detected.codeIndex = DetectCodeOfText(state, firstBytes, fileName);
    } else {
        // Only the signature bytes are needed to choose the code of the converted text.
        const std::size_t sample = kSignatureBytes * 4 + 4;
        const std::string converted =
            ConvertSourceText(firstBytes.substr(0, sample), detected.conversion);
        detected.codeIndex = DetectCodeOfText(state, converted, fileName);
    }
    return detected;
}

std::string ConvertSourceText(std::string_view bytes, SourceConversion conversion) {
    switch (conversion) {
    case SourceConversion::None:
        return std::string(bytes);
    case SourceConversion::Utf16LittleEndian:
    case SourceConversion::Utf16BigEndian: {
        const bool big = conversion == SourceConversion::Utf16BigEndian;
        const std::string_view mark = big ? "\xFE\xFF" : "\xFF\xFE";
        if (startsWith(bytes, mark))
            bytes.remove_prefix(2);
        return utf16ToCp1252(bytes, big);
    }
    case SourceConversion::Utf8:
        if (startsWith(bytes, "\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        return utf8ToCp1252(bytes);
    }
    return std::string(bytes);
}

std::string DetectedCodeName(const ProgramState& state, const DetectedCode& code) {
    if (code.conversion == SourceConversion::Utf8 && code.codeIndex == kCodeAnsi)
        return kUtf8CodeName;
    return CodeModeCaption(state, code.codeIndex);
}

} // namespace lexmora
