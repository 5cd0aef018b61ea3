#include "vlm_SealError.h"

#include "vlm_CryptoResources.h"

const char* SealErrorText(TSealError error) noexcept {
  using namespace crypto_res;
  switch (error) {
    case seOk: return "";
    case seNotSealed: return MsgNotSealed;
    case seNewerFormat: return MsgNewerFormat;
    case seDamagedHeader: return MsgDamagedHeader;
    case seTruncated: return MsgTruncated;
    case seDamaged: return MsgDamaged;
    case seOtherKey: return MsgOtherKey;
    case seWrongPassword: return MsgWrongPassword;
    case seWrongRecoveryKey: return MsgWrongRecoveryKey;
    case seMistypedRecoveryKey: return MsgMistypedRecoveryKey;
    case seBadParameters: return MsgBadParameters;
    case seDamagedKeyRecord: return MsgDamagedKeyRecord;
    case seNoMemory: return MsgNoMemory;
    case seFoundPlain: return MsgFoundPlain;
    case seFoundSealed: return MsgFoundSealed;
    case seUnavailable: return MsgUnavailable;
    case seCannotRead: return MsgCannotRead;
  }
  return MsgDamaged;
}
