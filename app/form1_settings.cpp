// Form1's settings file.

#include "app/main_window.h"
#include "app/settings_file.h"

void Form1::LoadIni() { loadSettingsInto(*this); }

void Form1::SaveIni() { saveSettingsFrom(*this); }
