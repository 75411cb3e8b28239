#include "eval/SchlauchTool.h"

bool CSchlauchTool::process(unsigned /*pass*/) {
  return false;
}
