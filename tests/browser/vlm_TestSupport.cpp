#include "vlm_TestSupport.h"

#include <QStringEncoder>
#include <set>

#include "vlm_Types.h"
#include "vlm_Widgets.h"

void TLibraryFolder::Write(const QString& name, const QString& utf8) const {
  QString text = utf8;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  QStringEncoder encoder("windows-1251");
  const QByteArray bytes = encoder.encode(text);
  EXPECT_FALSE(encoder.hasError());
  QDir().mkpath(QFileInfo(Path(name)).absolutePath());
  QFile file(Path(name));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

void TLibraryFolder::WritePicture(const QString& name, QRgb colour) const {
  QDir().mkpath(QFileInfo(Path(name)).absolutePath());
  QImage picture(16, 16, QImage::Format_RGB32);
  picture.fill(colour);
  ASSERT_TRUE(picture.save(Path(name), "BMP"));
}

QByteArray TLibraryFolder::Read(const QString& name) const {
  QFile file(Path(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QString TLibraryFolder::SixIcons() const {
  static const char* const roles[6] = {"Selected", "Dream Library", "Dream Directory", "Dream File", "One Night",
                                       "One Dream"};
  QString xml;
  for (int i = 0; i < 6; ++i) {
    const QString name = QStringLiteral("icons/icon%1.bmp").arg(i);
    WritePicture(name, IconColour(i));
    // Relative paths: the tests run elsewhere, so these are found beside the library.
    xml += QStringLiteral("  <icon path=\"%1\" name=\"%2\" />\n").arg(name, QLatin1String(roles[i]));
  }
  return xml;
}

Tfrm_MainForm* BrowserTest::Open() {
  Form.reset();  // the window before holds the library's lock until it is freed
  Form = std::make_unique<Tfrm_MainForm>(Ui, Library.Dir.path() + QLatin1Char('/'));
  TItem::View = Form->tre_Directory;
  if (!Form->LoginFailed()) {
    Form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    // The default journals are read on a thread while the window shows: tests start once they are.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Form->DefaultJournalsPending(); }, 20000));
  }
  return Form.get();
}

std::vector<TItem> BrowserTest::AllItems() const {
  std::vector<TItem> all;
  QAbstractItemModel* model = Form->tre_Directory->model();
  std::set<const TXMLNode*> journals;
  for (std::vector<QModelIndex> pending{model->index(0, 0)}; !pending.empty();) {
    const QModelIndex index = pending.back();
    pending.pop_back();
    if (!index.isValid()) continue;
    all.emplace_back(index);
    const TXMLNode* element = Tfrm_MainForm::NodeOf(index);
    if (element && element->Name == tagJournal && !journals.insert(element).second) continue;
    for (int i = model->rowCount(index) - 1; i >= 0; --i) pending.push_back(model->index(i, 0, index));
  }
  return all;
}

TItem BrowserTest::Item(const QString& caption) const {
  for (const TItem& item : AllItems())
    if (item.text() == caption) return item;
  return {};
}

TItem BrowserTest::TopItem() const { return Form->tre_Directory->model()->index(0, 0); }

TItem BrowserTest::CurrentItem() const { return Form->tre_Directory->currentIndex(); }

void BrowserTest::ClickItem(const TItem& item) const {
  TDirectoryTree* tree = Form->tre_Directory;
  tree->scrollTo(item);
  const QRect rect = tree->visualRect(item);
  ASSERT_TRUE(rect.isValid());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

QRgb BrowserTest::PictureColour(const TItem& item, QIcon::Mode mode) {
  const QImage image = item->icon(0).pixmap(QSize(16, 16), mode).toImage();
  return image.isNull() ? 0 : image.pixel(8, 8);
}

bool BrowserTest::Close() {
  Form->close();
  return !Form->isVisible();
}
