#pragma once
// The digger window module. Registered so that a host configuration naming it gets a module;
// it does nothing yet: the digger window gets its real form with the report, as a view of the
// HTML report.

#include "host/Module.h"

class CDiggerWindowModule : public CSpecialModeClient {
 public:
  const char* RuntimeClassName() const override { return "CDiggerWindowModule"; }
};
