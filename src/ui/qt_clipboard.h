// The system clipboard for the engine: its Windows-1252 text as plain Unicode text.
#pragma once

#include "viewer/extracts.h"

namespace lexmora::ui {

class QtClipboard : public Clipboard {
public:
    void setText(const std::string& text) override;
    void setUtf8Text(const std::string& text) override;
};

} // namespace lexmora::ui
