// The rules of the context-settings window in all its roles: which keys its two number boxes
// take, the limit of a box, the scale a value is divided by, and the one-side-only rule.
#pragma once

#include <string>
#include <string_view>

namespace lexmora {

inline constexpr int kContextBarTop = 550;  // the top end of both scroll bars
inline constexpr int kContextBarBottom = 0; // the lower end
inline constexpr const char* kContextSettingsCaption = "Context Settings";
inline constexpr const char* kSortRoleTag = "Sort file strings to left or right of keyword";

// The roles the window is opened in. Only the first is opened in full here; the others take
// their captions and labels from the windows that open them.
enum class ContextRole { ContextSettings, NextWordMatch, Sort, Extract, Range };

// The scale a box's value is divided by when it is taken over: 1 for the context settings and
// the sort role, the viewer's scroll scale otherwise (never below 1).
double ContextScale(ContextRole role, double scrollScale);

// Only Backspace and the ten digits may be typed into a box.
bool IsContextKey(char key);

// A box's text after a change: anything but digits is dropped (a paste may bring letters in), and
// a number above the bar's top end times the scale is set back to that limit. Leading zeros stay
// as typed.
std::string LimitContextText(std::string_view text, double scale);

// The number in a box (0 for an empty box), as the box shows it.
long long ContextBoxNumber(std::string_view text);

// The value taken over on OK: the number divided by the scale, kept inside a 16-bit field.
int ContextValue(std::string_view text, double scale);

// In the sort and Next Word Match roles only one side may be non-zero.
bool OneSideOnly(ContextRole role);

// Enter in a box moves its scroll bar to the typed value only with scale 1 and a value strictly
// inside the bar's range.
bool EnterMovesBar(std::string_view text, double scale);

} // namespace lexmora
