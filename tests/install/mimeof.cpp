// Prints the MIME type the desktop's shared-mime-info database gives a file,
// by content and name, as a file manager would decide it.
#include <QCoreApplication>
#include <QMimeDatabase>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: mimeof FILE\n", stderr);
        return 2;
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromLocal8Bit(argv[1]));
    std::puts(type.name().toLocal8Bit().constData());
    return 0;
}
