#!/usr/bin/env python3
# Writes app/scan/named_references.cpp: the named character references HTML defines (those
# ended by ";"), from the list Python's standard library carries.
import html.entities
import os

entries = sorted((name[:-1], value) for name, value in html.entities.html5.items()
                 if name.endswith(";"))
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
with open(os.path.join(root, "app/scan/named_references.cpp"), "w") as out:
    out.write('// Written by tools/gen-named-references.py.\n'
              '#include "app/scan/named_references.h"\n\n'
              '#include <algorithm>\n#include <iterator>\n\n'
              'namespace cardo {\nnamespace {\n\n'
              'struct Entry {\n  const char* name;\n  NamedReference value;\n};\n\n'
              '// Sorted by name (byte order).\nconstexpr Entry kEntries[] = {\n')
    for name, value in entries:
        first = ord(value[0])
        second = ord(value[1]) if len(value) > 1 else 0
        out.write('    {"%s", {0x%X, 0x%X}},\n' % (name, first, second))
    out.write('};\n\n}  // namespace\n\n'
              'NamedReference LookUpNamedReference(std::string_view name) {\n'
              '  const auto* it = std::lower_bound(std::begin(kEntries), std::end(kEntries), name,\n'
              '                                    [](const Entry& e, std::string_view n) { return std::string_view(e.name) < n; });\n'
              '  if (it == std::end(kEntries) || std::string_view(it->name) != name) return {};\n'
              '  return it->value;\n}\n\n}  // namespace cardo\n')
