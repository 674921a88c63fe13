#pragma once

// Start-up: one instance per machine, Chinese standard buttons, the main window.
class CKXPTApp
{
public:
    static int run(int argc, char** argv);
};
