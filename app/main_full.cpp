#include "app/CKXPTApp.h"

// The full edition: every function the program carries is offered.
int main(int argc, char** argv)
{
    return CKXPTApp::run(argc, argv, AppInfo::Edition::Full);
}
