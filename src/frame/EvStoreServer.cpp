#include "frame/EvStoreServer.h"

template <typename T>
CEvStoreServer<T>& CEvStoreServer<T>::Object() {
  static CEvStoreServer server;
  return server;
}

template class CEvStoreServer<CKelValueStore>;
template class CEvStoreServer<CKelLearnStore>;
template class CEvStoreServer<CResultShop>;
