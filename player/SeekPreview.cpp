#include "player/SeekPreview.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "player/PlayerTime.h"

namespace korvane {

namespace {
constexpr int kAboveBar = 6;
}  // namespace

TSeekPreview::TSeekPreview(QWidget* owner)
    : FPopup(new QFrame(owner, Qt::ToolTip | Qt::FramelessWindowHint)),
      FPicture(new QLabel(FPopup)),
      FTime(new QLabel(FPopup)) {
  FPopup->setAttribute(Qt::WA_ShowWithoutActivating);
  FPopup->setAttribute(Qt::WA_TransparentForMouseEvents);
  FPopup->setFrameShape(QFrame::Box);
  FTime->setAlignment(Qt::AlignHCenter);
  auto* layout = new QVBoxLayout(FPopup);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addWidget(FPicture);
  layout->addWidget(FTime);
}

TSeekPreview::~TSeekPreview() {
  FDecoder.reset();  // no answer is handed over after this
  delete FPopup.data();
}

bool TSeekPreview::Shown() const { return FPopup && FPopup->isVisible(); }
bool TSeekPreview::ShowsPicture() const { return Shown() && FPicture->isVisible(); }

void TSeekPreview::Hover(const std::string& path, bool hasPicture, double seconds, const QPoint& at) {
  FHovering = true;
  FPath = path;
  FKey = PreviewKey(seconds);
  FAt = at;
  FTime->setText(QString::fromStdU16String(FormatMediaTime(seconds)));
  if (!hasPicture) {
    FPicture->hide();
  } else if (TPreviewPicturePtr cached = FCache.Find(path, FKey)) {
    ShowPicture(cached);
  } else {
    Request({path, seconds});  // the picture shown stays until the new one comes
  }
  Place(at);
  FPopup->show();
}

void TSeekPreview::Leave() {
  FHovering = false;
  FQueue.Drop();
  FPopup->hide();
  if (FDecoder) FDecoder->Release();
}

void TSeekPreview::Request(const TPreviewJob& job) {
  std::optional<TPreviewJob> now = FQueue.Want(job);
  if (!now) return;
  if (!FDecoder) {
    try {
      FDecoder = std::make_unique<TMpvPreviewDecoder>([this](const TPreviewJob& done, TPreviewPicturePtr picture) {
        QMetaObject::invokeMethod(this, [this, done, picture] { Answer(done, picture); }, Qt::QueuedConnection);
      });
    } catch (const std::exception&) {
      FQueue.Finished();
      return;  // no preview then: the time alone
    }
  }
  FDecoder->Decode(*now);
}

void TSeekPreview::Answer(const TPreviewJob& job, TPreviewPicturePtr picture) {
  const int64_t key = PreviewKey(job.FSeconds);
  if (picture && job.FPath == FPath) FCache.Put(job.FPath, key, picture);  // a late one of the file before is dropped
  if (FHovering && job.FPath == FPath && (key == FKey || !FPicture->isVisible())) {
    if (picture) ShowPicture(picture);
    Place(FAt);  // grown upwards: it must never come under the pointer
  }
  if (std::optional<TPreviewJob> next = FQueue.Finished()) FDecoder->Decode(*next);
}

void TSeekPreview::ShowPicture(const TPreviewPicturePtr& picture) {
  const QImage image(picture->FPixels.data(), picture->FWidth, picture->FHeight, picture->FWidth * 4,
                     QImage::Format_RGBX8888);
  FPicture->setPixmap(QPixmap::fromImage(image));  // a copy: the picture may go
  FPicture->show();
}

// Centred over the pointer, above the bar.
void TSeekPreview::Place(const QPoint& at) {
  FPopup->adjustSize();
  FPopup->move(at.x() - FPopup->width() / 2, at.y() - FPopup->height() - kAboveBar);
}

}  // namespace korvane
