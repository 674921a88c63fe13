#pragma once

// Start-up: one instance per machine, Chinese standard buttons, the main window.
#include "common/core/AppInfo.h"

#include <memory>

class CMainFrame;
class SingleInstance;

class CKXPTApp
{
public:
    // Runs the program in the edition its executable was built as.
    static int run(int argc, char** argv, AppInfo::Edition edition = AppInfo::Edition::Standard);
    // Takes the single-instance marker; when another copy holds it, says so and returns false.
    static bool claimInstance(SingleInstance& instance);
    static void installTranslations();
    // The main window with its navigation view and screen host, registered as the targets of
    // the screen-switch message.
    static std::unique_ptr<CMainFrame> createMainFrame();
};
