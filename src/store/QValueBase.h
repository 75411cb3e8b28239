#pragma once
// QValueBase: the polymorphic root of every key and every stored value record. It has no
// data; its only virtual operation is the destructor.

class QValueBase {
 public:
  virtual ~QValueBase() = 0;

 protected:
  QValueBase() = default;
  QValueBase(const QValueBase&) = default;
  QValueBase& operator=(const QValueBase&) = default;
};

inline QValueBase::~QValueBase() = default;
