#include "host/CommandDispatcher.h"

#include <algorithm>

void CCommandDispatcher::AddClient(const std::string& message, const CObject* object,
                                   handler_t handler, bool inFront) {
  Client client{message, object, std::move(handler)};
  if (inFront)
    clients_.insert(clients_.begin(), std::move(client));
  else
    clients_.push_back(std::move(client));
}

void CCommandDispatcher::RemoveClients(const CObject* object) {
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                [object](const Client& c) { return c.object == object; }),
                 clients_.end());
}

int CCommandDispatcher::ProcessCommand(const std::string& message, unsigned long address,
                                       const void* data, long flags, const char* text,
                                       const void* extra) {
  // A copy: a handler may add or remove clients.
  const std::vector<Client> clients = clients_;
  int handled = 0;
  for (const Client& client : clients)
    if (client.message == message && client.handler(flags, address, data, text, extra) != 0)
      ++handled;
  return handled;
}

size_t CCommandDispatcher::Clients(const std::string& message) const {
  return static_cast<size_t>(std::count_if(clients_.begin(), clients_.end(),
                                           [&](const Client& c) { return c.message == message; }));
}
