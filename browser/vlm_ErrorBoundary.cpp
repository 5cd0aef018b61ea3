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

bool Guard(TUserInteraction& ui, QWidget* parent, const std::function<void()>& handler) {
  QString text;
  try {
    handler();
    return true;
  } catch (const std::exception& error) {
    text = ErrorText(error);
  } catch (...) {
    text = QString::fromUtf8(res::MsgUnknownError);
  }
  // Shown outside the catch blocks so that a failure while showing cannot rethrow into them.
  try {
    ui.ShowError(parent, text);
  } catch (...) {
  }
  return false;
}
