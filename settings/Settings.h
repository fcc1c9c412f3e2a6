#ifndef RINGLOCK_SETTINGS_SETTINGS_H
#define RINGLOCK_SETTINGS_SETTINGS_H

#include <windows.h>

#include <string>

// The settings file beside the executable; empty when the executable's path
// cannot be had whole.
std::string SettingsPath();
// Both work on g_app's main dialog check boxes and contacts list view.
void LoadSettings();
void SaveSettings();

// The same for the settings file at `path`.
void LoadSettingsFrom(const std::string& path);
void SaveSettingsTo(const std::string& path);

// Writes all of `bytes` to `file`; false when any of it could not be written.
bool WriteWholeFile(HANDLE file, const std::string& bytes);

#endif
