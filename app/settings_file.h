#pragma once
// Reading the settings file into the windows at start-up and writing it from
// them at shutdown.

class Form1;

void loadSettingsInto(Form1 &form);
void saveSettingsFrom(Form1 &form);
