// Translations: documents that map source texts to translated texts in
// named contexts, and the manager that holds the translators of one language.
#pragma once

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "veneer/core/ref_counted.h"

namespace veneer {

using LanguageId = std::array<std::uint8_t, 16>;

// The braced text form of a GUID as its 16 bytes (the platform's GUID
// layout); all zero when the text is not a braced GUID of at most 99 characters.
LanguageId parseBracedGuid(std::u16string_view text);

class IVTranslator : public IObjRef {
 public:
  // Loads from a `language` element (kind 1); any other kind loads nothing and returns 0.
  virtual int LoadLanguage(pugi::xml_node data, int kind) = 0;
  virtual std::u16string LanguageName() const = 0;
  virtual LanguageId LanguageIdentity() const = 0;
  // 1 and `out` set when the text is known in `context` or, failing that, in the unnamed context.
  virtual int Lookup(std::u16string_view source, std::u16string_view context, std::u16string& out) const = 0;
};

class IVTranslatorMgr : public IObjRef {
 public:
  virtual void ChangeLanguage(std::u16string_view name) = 0;
  virtual std::u16string CurrentLanguage() const = 0;
  // A new, empty translator; the caller holds its one reference.
  virtual IVTranslator* NewTranslator() = 0;
  // 1 when installed (the manager then holds a reference of its own), 0 when refused.
  virtual int AddTranslator(IVTranslator* translator) = 0;
  virtual int RemoveTranslator(const LanguageId& identity) = 0;
  virtual std::u16string Translate(std::u16string_view source, std::u16string_view context) const = 0;
};

class VTranslator final : public TObjRefImpl<IVTranslator> {
 public:
  struct Entry {
    std::u16string source;
    std::u16string translation;
  };
  struct Context {
    std::u16string name;
    std::vector<Entry> entries;  // sorted by source, code unit by code unit
  };

  int LoadLanguage(pugi::xml_node data, int kind) override;
  std::u16string LanguageName() const override { return name_; }
  LanguageId LanguageIdentity() const override { return identity_; }
  int Lookup(std::u16string_view source, std::u16string_view context, std::u16string& out) const override;

 private:
  const std::u16string* find(std::u16string_view source, std::u16string_view context) const;

  std::u16string name_;
  LanguageId identity_{};
  std::vector<Context> contexts_;  // sorted by name
};

class VTranslatorMgr final : public TObjRefImpl<IVTranslatorMgr> {
 public:
  ~VTranslatorMgr() override;

  void ChangeLanguage(std::u16string_view name) override;
  std::u16string CurrentLanguage() const override { return language_; }
  IVTranslator* NewTranslator() override { return new VTranslator; }
  int AddTranslator(IVTranslator* translator) override;
  int RemoveTranslator(const LanguageId& identity) override;
  std::u16string Translate(std::u16string_view source, std::u16string_view context) const override;

 private:
  void releaseAll();

  std::u16string language_;
  std::vector<IVTranslator*> installed_;  // most recently installed first; one reference each
};

// Stands in when the application has no manager: no language, texts unchanged.
class VNullTranslator final : public TObjRefImpl<IVTranslatorMgr> {
 public:
  void ChangeLanguage(std::u16string_view) override {}
  std::u16string CurrentLanguage() const override { return {}; }
  IVTranslator* NewTranslator() override { return new VTranslator; }
  int AddTranslator(IVTranslator*) override { return 0; }
  int RemoveTranslator(const LanguageId&) override { return 0; }
  std::u16string Translate(std::u16string_view source, std::u16string_view) const override {
    return std::u16string(source);
  }
};

}  // namespace veneer
