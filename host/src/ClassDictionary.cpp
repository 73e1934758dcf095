// The class dictionary that loaded modules fill with their command factories, and module loading.
#include "QORCommandEngine.h"

#include <dlfcn.h>

#include <map>

namespace {

// Function-local, so that registrations made while dlopen runs a module's static constructors
// find the map built, whatever the order of initialisation.
std::map<std::string, QORFactory>& Dictionary() {
  static std::map<std::string, QORFactory> dictionary;
  return dictionary;
}

}  // namespace

QORFillDictionary::QORFillDictionary(const char* className, QORFactory factory) {
  if (!className || !*className || !factory) return;
  Dictionary()[className] = factory;
}

QORFactory QORClassDictionary::Find(const std::string& className) {
  const auto found = Dictionary().find(className);
  return found == Dictionary().end() ? nullptr : found->second;
}

std::vector<std::string> QORClassDictionary::ClassNames() {
  std::vector<std::string> names;
  for (const auto& entry : Dictionary()) names.push_back(entry.first);
  return names;
}

// The library is never closed: its factories stay in the dictionary for the life of the process.
QOROutcome QORLoadModule(const std::string& path) {
  dlerror();
  if (dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL)) return {};
  const char* why = dlerror();
  return QORError(std::string("cannot load module: ") + (why ? why : path + ": unknown error"));
}
