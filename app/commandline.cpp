#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

namespace kanameru {

std::optional<int> answerCommandLine(int argc, char* argv[])
{
    if (argc < 2)
        return std::nullopt;
    // A short-lived application object, so that no display is needed to answer.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kanameru"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KANAMERU_VERSION));
    QTranslator qtTranslator; // Qt's own words of the help ("使い方", "オプション")
    if (qtTranslator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslator);

    QCommandLineParser parser;
    // "-platform offscreen" is one of Qt's options, not the short options p, l, a, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("カナメル — 歴史の出来事に説明を合わせ、年代順に並べるドリルです。\n"
                       "引数なしで起動すると、生徒が名前を選ぶ画面を開きます。\n"
                       "プログラムのフォルダの 設定.txt とタイム回数データ.txt、"
                       "共有のフォルダの 共通データ.txt と生徒用名簿.txt を読みます。"));
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("この説明を表示して終わります。"));
    const QCommandLineOption version(
        { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("プログラムの版を表示して終わります。"));
    parser.addOption(help);
    parser.addOption(version);
    // Qt's own options and any other argument are not ours to refuse: the program starts.
    parser.parse(QCoreApplication::arguments());

    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("カナメル (kanameru) %s\n", KANAMERU_VERSION);
        return 0;
    }
    return std::nullopt;
}

} // namespace kanameru
