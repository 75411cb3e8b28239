#include "Interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_requested = 0;
struct sigaction g_previousInt {};
struct sigaction g_previousTerm {};

void OnSignal(int) {
  g_requested = 1;
}

}  // namespace

CInterruptGuard::CInterruptGuard() {
  g_requested = 0;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // a second signal takes the default action
  sigaction(SIGINT, &action, &g_previousInt);
  sigaction(SIGTERM, &action, &g_previousTerm);
}

CInterruptGuard::~CInterruptGuard() {
  sigaction(SIGINT, &g_previousInt, nullptr);
  sigaction(SIGTERM, &g_previousTerm, nullptr);
}

bool CInterruptGuard::Requested() {
  return g_requested != 0;
}
