#pragma once
// CObject: the root of the host's module objects. Registries identify an owner by its
// address only; they never call it or delete it.

class CObject {
 public:
  virtual ~CObject() = default;
};
