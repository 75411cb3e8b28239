#pragma once
// The parameter archivator module. Registered so that a host configuration naming it gets a
// module; what it archives is not defined for this library, so it does nothing.

#include "host/Module.h"

class CParamDbArchivator : public CSpecialModeClient {
 public:
  const char* RuntimeClassName() const override { return "CParamDbArchivator"; }
};
