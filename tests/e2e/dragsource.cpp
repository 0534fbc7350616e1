// Stands in for a file manager in the end-to-end tests: a window at a given
// place that starts dragging the files named on its command line when the
// mouse is pressed in it, so that synthetic mouse input can drop them on
// another program's window.
//
//   dragsource X Y FILE...
//
// Prints "ready" once the window is shown and "dropped" or "refused" when a
// drag ends, each line flushed at once.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> files) : files(std::move(files)) {
        setWindowTitle("dragsource");
        setStyleSheet("background: #4060a0");
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(files);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        std::puts(action == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
    }

private:
    QList<QUrl> files;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fputs("usage: dragsource X Y FILE...\n", stderr);
        return 2;
    }
    QList<QUrl> files;
    for (int i = 3; i < argc; ++i)
        files << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    DragSource source(files);
    source.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), 200, 200);
    source.show();
    QTimer::singleShot(0, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return application.exec();
}
