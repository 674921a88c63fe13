#pragma once

// Start-up: one instance per machine, Chinese standard buttons, the main window.
class SingleInstance;

class CKXPTApp
{
public:
    static int run(int argc, char** argv);
    // Takes the single-instance marker; when another copy holds it, says so and returns false.
    static bool claimInstance(SingleInstance& instance);
    static void installTranslations();
};
