#ifndef RINGLOCK_UI_TEXTLIMITS_H
#define RINGLOCK_UI_TEXTLIMITS_H

// The longest text a list row holds, counted as Windows counts characters (in
// UTF-16 units): what a row reads back, what the contact dialog's buffer
// holds beside its NUL, and what the settings file keeps of each contact.
// Platform-free, so that the settings file's text rules share it.
constexpr int ROW_TEXT_MAX_UNITS = 259;

#endif
