#include "sequencer/CommandCenter.h"

#include <algorithm>

CCommandCenterClient::CCommandCenterClient() {
  CCommandCenterServer::Server().Register(*this);
}

CCommandCenterClient::~CCommandCenterClient() {
  CCommandCenterServer::Server().Release(*this);
}

CCommandCenterServer& CCommandCenterServer::Server() {
  static CCommandCenterServer server;
  return server;
}

void CCommandCenterServer::Message(Kelva::sequencer_events_t event,
                                   const Kelva::event_argument_t& argument) {
  for (CCommandCenterClient* client : Server().clients_) client->OnSequencerEvent(event, argument);
}

void CCommandCenterServer::Register(CCommandCenterClient& client) {
  clients_.push_back(&client);
}

void CCommandCenterServer::Release(CCommandCenterClient& client) {
  auto it = std::find(clients_.begin(), clients_.end(), &client);
  if (it != clients_.end()) clients_.erase(it);
}

template <int N>
CRemoteControl<N>& CRemoteControl<N>::Channel() {
  static CRemoteControl channel;
  return channel;
}

template class CRemoteControl<0>;
template class CRemoteControl<1>;
template class CRemoteControl<2>;
template class CRemoteControl<3>;
