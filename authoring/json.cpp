// The JSON writer of the authoring tools.
#include "authoring/json.h"

#include <stdio.h>

namespace authoring {

void AppendJsonString(std::string* out, const std::string& value) {
  *out += '"';
  for (size_t i = 0; i < value.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    switch (c) {
      case '"': *out += "\\\""; break;
      case '\\': *out += "\\\\"; break;
      case '\n': *out += "\\n"; break;
      case '\r': *out += "\\r"; break;
      case '\t': *out += "\\t"; break;
      default:
        if (c < 0x20) {
          char hex[8];
          sprintf(hex, "\\u%04x", c);
          *out += hex;
        } else {
          *out += static_cast<char>(c);
        }
    }
  }
  *out += '"';
}

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
  AppendJsonString(&out_, name);
  out_ += ':';
  after_key_ = true;
}

void JsonWriter::String(const std::string& value) {
  BeforeValue();
  AppendJsonString(&out_, value);
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
