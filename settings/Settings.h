#ifndef RINGLOCK_SETTINGS_SETTINGS_H
#define RINGLOCK_SETTINGS_SETTINGS_H

#include <string>

std::string SettingsPath();
void LoadSettings();
void SaveSettings();

#endif
