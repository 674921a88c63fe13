#pragma once

class QWidget;

// The once-a-day routing-code update as the interbank book starts it.
namespace UpdateLauncher {
// True when dxbk-tool.ini records today's date.
bool updatedToday();
// Runs the update dialog modally.
void run(QWidget* parent);
} // namespace UpdateLauncher
