#include "vlm_ErrorBoundary.h"

#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_UserInteraction.h"
#include "xml_types.h"

QString ErrorText(const std::exception& error) {
  if (const auto* io = dynamic_cast<const EInOutError*>(&error))
    return FromAnyText(io->Reason) + QStringLiteral(": ") + FromCp(io->FileName);
  return FromAnyText(error.what());
}

void ShowCaughtError(TUserInteraction& ui, QWidget* parent, std::exception_ptr error) noexcept {
  QString text;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    try {
      text = ErrorText(e);
    } catch (...) {
    }
  } catch (...) {
  }
  try {
    if (text.isEmpty()) text = QString::fromUtf8(res::MsgUnknownError);
    ui.ShowError(parent, text);
  } catch (...) {
  }
}
