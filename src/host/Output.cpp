#include "host/Output.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace PrWin {
namespace {

struct SinkList {
  std::vector<Sink*> sinks;
  SinkList() { sinks.push_back(&DefaultStderrSink()); }
};

SinkList& Sinks() {
  static SinkList list;
  return list;
}

void Dispatch(int category, int style, std::string_view text) {
  // Copy: a sink may add or remove sinks while it writes.
  const std::vector<Sink*> sinks = Sinks().sinks;
  for (Sink* sink : sinks) sink->Write(category, style, text);
}

std::string FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed <= 0) return std::string();
  std::string text(static_cast<size_t>(needed), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

}  // namespace

void AddSink(Sink* sink) {
  auto& sinks = Sinks().sinks;
  if (std::find(sinks.begin(), sinks.end(), sink) == sinks.end()) sinks.push_back(sink);
}

void RemoveSink(Sink* sink) {
  auto& sinks = Sinks().sinks;
  sinks.erase(std::remove(sinks.begin(), sinks.end(), sink), sinks.end());
}

void Output(int category, int style, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  Dispatch(category, style, text);
}

void Output(int category, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  Dispatch(category, 0, text);
}

void Output(const std::string& text, int category, int style) {
  Dispatch(category, style, text);
}

void Trace(const Origin& origin, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  const std::vector<Sink*> sinks = Sinks().sinks;  // a copy, as in Dispatch
  for (Sink* sink : sinks) sink->WriteTrace(origin, text);
}

void StderrSink::Write(int category, int /*style*/, std::string_view text) {
  if ((category & mask_) == 0) return;
  std::fwrite(text.data(), 1, text.size(), stderr);
}

StderrSink& DefaultStderrSink() {
  static StderrSink sink(catOperator | catNotice | catWarning);
  return sink;
}

CaptureSink::CaptureSink() {
  AddSink(this);
}
CaptureSink::~CaptureSink() {
  RemoveSink(this);
}

void CaptureSink::Write(int category, int style, std::string_view text) {
  lines_.push_back(Line{category, style, std::string(text), std::string(), 0});
}

void CaptureSink::WriteTrace(const Origin& origin, std::string_view text) {
  lines_.push_back(Line{catDebug, 0, std::string(text), origin.source, origin.line});
}

std::string CaptureSink::Text() const {
  std::string all;
  for (const Line& line : lines_) all += line.text;
  return all;
}

}  // namespace PrWin
