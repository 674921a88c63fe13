#include "app/CKXPTApp.h"

int main(int argc, char** argv)
{
    return CKXPTApp::run(argc, argv);
}
