// A Wayland program for the whole-program tests to drag files from: a small
// window of one plain magenta that starts dragging a list of file URIs as soon
// as the left button goes down on it, as a file manager would.
//   korvane_test_drag_source MARKER URI_LIST
// The list goes out byte for byte, so a path that is not UTF-8 arrives
// unchanged. MARKER is created once the drag has begun. The exit status is 0 when the
// drop was taken, 1 when not.
#include <QByteArray>
#include <QDrag>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>

#include <utility>

namespace {

class TDragSource : public QRasterWindow {
 public:
  TDragSource(QString marker, QByteArray uris) : FMarker(std::move(marker)), FUris(std::move(uris)) {
    resize(48, 48);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), QColor(0xff, 0x00, 0xff)); }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    auto* data = new QMimeData;
    data->setData("text/uri-list", FUris);
    QDrag drag(this);
    drag.setMimeData(data);
    QFile(FMarker).open(QIODevice::WriteOnly);
    QCoreApplication::exit(drag.exec(Qt::CopyAction) == Qt::CopyAction ? 0 : 1);
  }

 private:
  QString FMarker;
  QByteArray FUris;
};

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) return 2;
  TDragSource window(QFile::decodeName(argv[1]), argv[2]);
  window.show();
  return app.exec();
}
