#pragma once

// Start-up: one instance per machine, Chinese standard buttons, the main window.
#include <memory>

class CMainFrame;
class SingleInstance;

class CKXPTApp
{
public:
    static int run(int argc, char** argv);
    // Takes the single-instance marker; when another copy holds it, says so and returns false.
    static bool claimInstance(SingleInstance& instance);
    static void installTranslations();
    // The main window with its navigation view and screen host, registered as the targets of
    // the screen-switch message.
    static std::unique_ptr<CMainFrame> createMainFrame();
};
