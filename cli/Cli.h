#pragma once

#include <QStringList>

class QTextStream;

// The command-line companion: the payroll rules of the screens for files that HR and accounting
// systems produce. Messages are the program's own texts; options are English.
namespace Cli {

enum Status
{
    Valid = 0,   // everything was valid (or found)
    Refused = 1, // lines were refused (or nothing was found)
    Failure = 2, // bad usage, or a file that cannot be read or written
    Findings = 3 // no line refused, but the review of the order found something to look at
};

// Runs one command line (arguments without the program name), writing results to out and
// problems with the command itself to err.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace Cli
