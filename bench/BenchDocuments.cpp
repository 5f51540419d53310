#include "bench/BenchDocuments.h"

#include "mainwin/DocumentListView.h"
#include "mainwin/KopixApplication.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <unistd.h>

namespace kopix::bench {

QString generatedDocument(int lines, TextEncoding encoding) {
    const QString path =
        QDir::tempPath() + QStringLiteral("/kopix-bench-%1-%2.txt").arg(lines).arg(int(encoding));
    if (QFile::exists(path))
        return path;
    static const QStringList phrases{QStringLiteral("いつもお世話になっております。"),
                                     QStringLiteral("東京都千代田区千代田1-1 株式会社コピックス"),
                                     QStringLiteral("https://www.example.com/support/faq.html"),
                                     QStringLiteral("☆ 見出し"),
                                     QStringLiteral("ご確認のほど、よろしくお願いいたします。"),
                                     QStringLiteral("注文番号 A-2026-"),
                                     QStringLiteral("ｶﾀｶﾅ 半角 ① Ⅰ ～"),
                                     QStringLiteral("")};
    QString text;
    text.reserve(qsizetype(lines) * 24);
    for (int i = 0; i < lines; ++i) {
        text += phrases[i % phrases.size()];
        text += QString::number(i);
        text += QStringLiteral("\r\n");
    }
    const std::optional<QByteArray> bytes = encodeText(text, encoding);
    QFile file(path);
    if (!bytes || !file.open(QIODevice::WriteOnly))
        qFatal("cannot write the benchmark document %s", qPrintable(path));
    file.write(*bytes);
    return path;
}

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

qint64 peakResidentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

void resetPeakResident() {
    // Linux: 5 sets the peak back to what is resident now.
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

MainWindow::MainWindow() {
    fC = std::make_unique<TfC>(platform, QStringList{programDir.filePath(QStringLiteral("kopix"))});
    fC->show();
    QCoreApplication::processEvents();
}

MainWindow::~MainWindow() {
    fC.reset();
}

void MainWindow::openAndPaint(const QString& path) {
    fC->OpenDocument(path);
    fC->LBox->doItemsLayout();
    fC->LBox->viewport()->repaint();
}

int runOffscreen(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KopixApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace kopix::bench
