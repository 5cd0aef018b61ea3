#include "vlm_FileDialogLanguage.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

#include "vlm_Strings.h"

namespace {
// The columns of QFileSystemModel.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;

class TProgramLanguageFiles : public QIdentityProxyModel {
public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role == Qt::DisplayRole && files) {
      const QModelIndex source = mapToSource(index);
      if (index.column() == kDateColumn) return FLocale.toString(files->lastModified(source), QLocale::ShortFormat);
      if (index.column() == kSizeColumn && !files->isDir(source)) return FLocale.formattedDataSize(files->size(source));
    }
    return QIdentityProxyModel::data(index, role);
  }

private:
  const QLocale FLocale{QLocale::Russian, QLocale::Russia};
};
}  // namespace

void ShowDatesInProgramLanguage(QFileDialog& dialog) { dialog.setProxyModel(new TProgramLanguageFiles(&dialog)); }

QStringList NameFilters(const char* designFilter, bool dotlessToo) {
  const QStringList parts = Text(designFilter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    const QString pattern = dotlessToo && parts[i + 1] == QLatin1String("*.*") ? QStringLiteral("*") : parts[i + 1];
    const qsizetype bracket = name.indexOf(QLatin1Char('('));
    if (bracket >= 0) name = name.left(bracket).trimmed();
    filters << name + QStringLiteral(" (") + pattern + QLatin1Char(')');
  }
  return filters;
}
