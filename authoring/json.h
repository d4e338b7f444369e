// A small JSON writer for the authoring tools' reports: objects, arrays,
// strings, numbers, booleans and null, with the commas put in for the caller.
#ifndef KESTRO_AUTHORING_JSON_H
#define KESTRO_AUTHORING_JSON_H

#include <string>

namespace authoring {

// Writes one JSON document into a string. Inside an object every value is
// preceded by Key(); the writer adds commas and nothing else (no spacing).
// Strings are quoted by script::JsonString: quotes, backslashes and control
// characters escaped, other bytes (UTF-8) unchanged.
class JsonWriter {
 public:
  JsonWriter();
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void Key(const char* name);
  void String(const std::string& value);
  void Int(int value);
  void Bool(bool value);
  void Null();
  const std::string& text() const { return out_; }

 private:
  void BeforeValue();

  static const int kMaxDepth = 16;
  std::string out_;
  int depth_;
  bool first_[kMaxDepth];  // nothing written yet at this depth
  bool after_key_;         // the next value belongs to the key just written
};

}  // namespace authoring

#endif
