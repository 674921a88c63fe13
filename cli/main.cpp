#include "cli/Cli.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // The messages are Chinese; the console shows them as UTF-8.
    SetConsoleOutputCP(CP_UTF8);
#endif
    QTextStream out(stdout);
    QTextStream err(stderr);
    return Cli::run(app.arguments().mid(1), out, err);
}
