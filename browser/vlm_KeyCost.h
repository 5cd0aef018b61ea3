#pragma once
// The cost of deriving a new key from a password: tuned once per run to about half a second of
// this machine, unless set beforehand (the tests set a small one: tuning takes seconds).
#include "vlm_Keys.h"

TKdfParams NewKeyCost();
void SetNewKeyCost(const TKdfParams& params);
