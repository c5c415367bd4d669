// Writes a UTF-8 text file of the project's sources out as an installation keeps it:
// CP932 with CR LF line ends.
#include "startup/textfile.h"
#include "toolsupport.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The arguments as Qt has them: on Windows argv[] is in the ANSI code page, which may not
    // hold the Japanese file names.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: kanameru-textconv IN.utf8 OUT\n");
        return 2;
    }
    // It writes the demo's data files themselves: only their names are allowed.
    kanameru::tools::OutputRules rules;
    rules.inputs = QStringList { args[1] };
    rules.refuseDataNames = false;
    const kanameru::tools::OutputTarget target = kanameru::tools::checkOutput(args[2], rules);
    if (target.refused()) {
        kanameru::tools::printError(target.refusal);
        return 1;
    }
    QFile in(args[1]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read\n", qPrintable(args[1]));
        return 1;
    }
    const QString text = QString::fromUtf8(in.readAll());
    if (auto error = kanameru::writeTextFile(target.path, text)) {
        std::fprintf(stderr, "%s\n", qPrintable(error->message()));
        return 1;
    }
    return 0;
}
