// The JSON writer of the authoring tools.
#include "authoring/json.h"

#include <stdio.h>

#include "script/json_string.h"

namespace authoring {

JsonWriter::JsonWriter() : depth_(0), after_key_(false) { first_[0] = true; }

void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!first_[depth_]) out_ += ',';
  first_[depth_] = false;
}

void JsonWriter::BeginObject() {
  BeforeValue();
  out_ += '{';
  if (depth_ + 1 < kMaxDepth) ++depth_;
  first_[depth_] = true;
}

void JsonWriter::EndObject() {
  out_ += '}';
  if (depth_ > 0) --depth_;
}

void JsonWriter::BeginArray() {
  BeforeValue();
  out_ += '[';
  if (depth_ + 1 < kMaxDepth) ++depth_;
  first_[depth_] = true;
}

void JsonWriter::EndArray() {
  out_ += ']';
  if (depth_ > 0) --depth_;
}

void JsonWriter::Key(const char* name) {
  BeforeValue();
  out_ += script::JsonString(name);
  out_ += ':';
  after_key_ = true;
}

void JsonWriter::String(const std::string& value) {
  BeforeValue();
  out_ += script::JsonString(value);
}

void JsonWriter::Int(int value) {
  BeforeValue();
  char number[32];
  sprintf(number, "%d", value);
  out_ += number;
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
}

}  // namespace authoring
