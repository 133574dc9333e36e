#!/usr/bin/env python3
"""Translates form descriptions into C++.

A description (NAME.form, UTF-8) describes one window class: the form's own property values and
the tree of components it owns. For each description the generator writes, into the output
folder:

  NAME_form.h    included inside the class body: the component fields and the declaration of
                 ReadDescription()
  NAME_form.cpp  ReadDescription(): creates the components, sets their properties in
                 description order, resolves references once every component exists, binds
                 handlers to the members of the same name, then calls Loaded in creation order.

Everything is checked by the C++ compiler: a misspelt property, field or handler is a build
error, reported at the description's own file and line (the generated code carries #line
directives); a member the object lacks fails with "COMPONENT (CLASS) has no property or event
named 'NAME'". Mistakes of the description's own structure are reported by this generator as
"file:line: error: message" with exit code 1.

Names are resolved by what they name, not by their look:
  - an identifier given as a value is an enumerator of the property's own type first (two
    enumerations may share enumerator names, as the two scroll-bar kinds do), else a handler when
    the form's class has a member function of that name (whatever the event's name looks like),
    else the name as the form's code sees it (a colour, a cursor, an enumerator, a macro);
  - a component may be given to a property that takes its class or any base of it.

Format:

  unit uRemindDlg                              (optional; the header declaring the class,
                                                default: the file's own name + ".h")
  form frmRemindDlg: TfrmRemindDlg inherits TfrmBase
    ClientWidth = 411                          property of the form
    Font.Name = 'Tahoma'                       path into an owned object or a record
    OnClose = FormClose                        handler: the member of that name
    object lbReminds: TQimListBox              a component owned by the form; a control gets
      Bounds = 131, 1, 279, 106                the enclosing control as parent
      Anchors = [akTop, akRight]               set of flags
      ImgCheck = png:notice_check              picture from a resource (png:, picture:, icon:)
      VerScrollRes = QimScrollBarRes1          reference to a component (forward allowed)
      Resource = frmView.vkncrsrc1             reference into another live form
      Items = ('one' 'two')                    string list
      Images = < item Tag = 0 end >            collection items
    end
    inherited lblTitle                         (inheriting descriptions) values for a component
      Caption = 'Other'                        of the base description
    end
  end

Values: integers (-5, $FF), True/False, identifiers (enumerators, colour names, handlers), strings in
single quotes ('' is a quote; #13 or #$0D adds a character code), the forms above. Comments run
from // to the end of the line.

An inheriting description is flattened into the derived class: the base description's code runs
first (creating the base's components into the fields the base class declares), then the
derived one's, and every handler binds in the derived class.
"""

import argparse
import os
import re
import sys

FRAMEWORK_CLASSES = {
    "TComponent", "TControl", "TWinControl", "TCustomControl", "TGraphicControl", "TForm",
    "TTimer", "TPanel", "TLabel", "TImage", "TEdit", "TMemo", "TComboBox", "TDateTimePicker",
    "TOpenDialog", "TSaveDialog", "TWebBrowser",
}
KEYWORDS = {"form", "object", "inherited", "end", "item", "unit", "inherits"}
PICTURE_KINDS = {"png": "Png", "picture": "Picture", "icon": "Icon"}


class FormGenError(Exception):
    def __init__(self, file, line, message):
        super().__init__(f"{file}:{line}: error: {message}")
        self.file = file
        self.line = line
        self.message = message


# --------------------------------------------------------------------------------------------
# Lexer

class Tok:
    __slots__ = ("kind", "text", "line", "value")

    def __init__(self, kind, text, line, value=None):
        self.kind = kind      # ident, int, string, punct, eof
        self.text = text
        self.line = line
        self.value = value

    def __repr__(self):
        return f"Tok({self.kind},{self.text!r},{self.line})"


_IDENT = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
_INT = re.compile(r"[0-9]+")
_HEX = re.compile(r"\$[0-9A-Fa-f]+")
_CHARCODE = re.compile(r"#(\$[0-9A-Fa-f]+|[0-9]+)")


def tokenize(text, file):
    toks = []
    line = 1
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
            continue
        if c in " \t\r\ufeff":
            i += 1
            continue
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
            continue
        if c == "'" or c == "#":
            start_line = line
            s = []
            while i < n and text[i] in "'#":
                if text[i] == "'":
                    i += 1
                    while True:
                        if i >= n or text[i] == "\n":
                            raise FormGenError(file, start_line, "unterminated string")
                        if text[i] == "'":
                            if i + 1 < n and text[i + 1] == "'":
                                s.append("'")
                                i += 2
                                continue
                            i += 1
                            break
                        s.append(text[i])
                        i += 1
                else:
                    m = _CHARCODE.match(text, i)
                    if not m:
                        raise FormGenError(file, line, "bad character code after '#'")
                    code = m.group(1)
                    v = int(code[1:], 16) if code.startswith("$") else int(code)
                    if v > 0x10FFFF:
                        raise FormGenError(file, line, f"character code {code} out of range")
                    s.append(chr(v))
                    i = m.end()
            toks.append(Tok("string", "".join(s), start_line, "".join(s)))
            continue
        m = _IDENT.match(text, i)
        if m:
            toks.append(Tok("ident", m.group(0), line))
            i = m.end()
            continue
        m = _HEX.match(text, i)
        if m:
            toks.append(Tok("int", m.group(0), line, (int(m.group(0)[1:], 16), True)))
            i = m.end()
            continue
        m = _INT.match(text, i)
        if m:
            if i + len(m.group(0)) < n and (text[m.end()].isalpha() or text[m.end()] == "_"):
                raise FormGenError(file, line, f"bad number '{m.group(0)}{text[m.end()]}'")
            toks.append(Tok("int", m.group(0), line, (int(m.group(0)), False)))
            i = m.end()
            continue
        if c in "=,.[]()<>:-":
            toks.append(Tok("punct", c, line))
            i += 1
            continue
        raise FormGenError(file, line, f"unexpected character '{c}'")
    toks.append(Tok("eof", "", line))
    return toks


# --------------------------------------------------------------------------------------------
# Parser

class Value:
    def __init__(self, kind, line, data):
        self.kind = kind   # int, ident, dotted, string, set, strings, collection, picture
        self.line = line
        self.data = data


class Prop:
    def __init__(self, path, values, line):
        self.path = path
        self.values = values
        self.line = line


class Obj:
    def __init__(self, kind, name, cls, line):
        self.kind = kind    # "object" or "inherited"
        self.name = name
        self.cls = cls
        self.line = line
        self.body = []      # Prop and Obj in description order


class Description:
    def __init__(self, file):
        self.file = file
        self.unit = None
        self.name = None
        self.cls = None
        self.base = None
        self.line = 1
        self.body = []


class Parser:
    def __init__(self, toks, file):
        self.toks = toks
        self.pos = 0
        self.file = file

    def peek(self, k=0):
        return self.toks[min(self.pos + k, len(self.toks) - 1)]

    def next(self):
        t = self.toks[self.pos]
        if t.kind != "eof":
            self.pos += 1
        return t

    def error(self, tok, message):
        raise FormGenError(self.file, tok.line, message)

    def expect_punct(self, p):
        t = self.next()
        if t.kind != "punct" or t.text != p:
            self.error(t, f"expected '{p}' but found {describe(t)}")
        return t

    def expect_ident(self, what):
        t = self.next()
        if t.kind != "ident" or t.text in KEYWORDS:
            self.error(t, f"expected {what} but found {describe(t)}")
        return t

    def is_kw(self, t, kw):
        return t.kind == "ident" and t.text == kw

    def parse(self):
        d = Description(self.file)
        t = self.peek()
        if self.is_kw(t, "unit"):
            self.next()
            d.unit = self.expect_ident("a unit name").text
        t = self.next()
        if not self.is_kw(t, "form"):
            self.error(t, f"expected 'form' but found {describe(t)}")
        d.line = t.line
        d.name = self.expect_ident("the form's name").text
        self.expect_punct(":")
        d.cls = self.expect_ident("the form's class").text
        if self.is_kw(self.peek(), "inherits"):
            self.next()
            d.base = self.expect_ident("the base class").text
        d.body = self.parse_body(t, allow_objects=True, allow_inherited=True)
        t = self.next()
        if t.kind != "eof":
            self.error(t, f"text after the form's final 'end': {describe(t)}")
        return d

    def parse_body(self, opener, allow_objects, allow_inherited):
        body = []
        while True:
            t = self.peek()
            if t.kind == "eof":
                self.error(opener, f"'{opener.text}' at line {opener.line} is never closed with 'end'")
            if self.is_kw(t, "end"):
                self.next()
                return body
            if self.is_kw(t, "object") or self.is_kw(t, "inherited"):
                if not allow_objects:
                    self.error(t, f"'{t.text}' is not allowed here")
                self.next()
                name = self.expect_ident("a component name")
                cls = None
                if t.text == "object":
                    self.expect_punct(":")
                    cls = self.expect_ident("a class name").text
                elif not allow_inherited:
                    self.error(t, "'inherited' is not allowed here")
                o = Obj(t.text, name.text, cls, name.line)
                o.body = self.parse_body(t, allow_objects=True, allow_inherited=True)
                body.append(o)
                continue
            body.append(self.parse_prop())

    def parse_prop(self):
        t = self.next()
        if t.kind != "ident" or t.text in KEYWORDS:
            self.error(t, f"expected a property name, 'object' or 'end' but found {describe(t)}")
        path = [t.text]
        while self.peek().kind == "punct" and self.peek().text == ".":
            self.next()
            path.append(self.expect_ident("a property name after '.'").text)
        eq = self.next()
        if eq.kind != "punct" or eq.text != "=":
            self.error(eq, f"expected '=' after '{'.'.join(path)}' but found {describe(eq)}")
        values = [self.parse_value()]
        while self.peek().kind == "punct" and self.peek().text == ",":
            self.next()
            values.append(self.parse_value())
        return Prop(path, values, t.line)

    def parse_value(self):
        t = self.next()
        if t.kind == "int":
            return Value("int", t.line, t.value)
        if t.kind == "punct" and t.text == "-":
            n = self.next()
            if n.kind != "int":
                self.error(n, "expected a number after '-'")
            return Value("int", t.line, (-n.value[0], n.value[1]))
        if t.kind == "string":
            return Value("string", t.line, t.value)
        if t.kind == "ident":
            if t.text in KEYWORDS:
                self.error(t, f"expected a value but found '{t.text}'")
            if t.text in PICTURE_KINDS and self.peek().kind == "punct" and self.peek().text == ":":
                self.next()
                name = self.expect_ident("a resource name")
                return Value("picture", t.line, (t.text, name.text))
            parts = [t.text]
            while self.peek().kind == "punct" and self.peek().text == ".":
                self.next()
                parts.append(self.expect_ident("a name after '.'").text)
            if len(parts) > 2:
                self.error(t, f"'{'.'.join(parts)}': a reference names a form and one component")
            if len(parts) == 2:
                return Value("dotted", t.line, parts)
            return Value("ident", t.line, t.text)
        if t.kind == "punct" and t.text == "[":
            items = []
            if self.peek().kind == "punct" and self.peek().text == "]":
                self.next()
                return Value("set", t.line, items)
            while True:
                items.append(self.expect_ident("a set element").text)
                s = self.next()
                if s.kind == "punct" and s.text == "]":
                    return Value("set", t.line, items)
                if not (s.kind == "punct" and s.text == ","):
                    self.error(s, f"expected ',' or ']' in a set but found {describe(s)}")
        if t.kind == "punct" and t.text == "(":
            items = []
            while True:
                s = self.next()
                if s.kind == "punct" and s.text == ")":
                    return Value("strings", t.line, items)
                if s.kind != "string":
                    self.error(s, f"expected a string or ')' in a string list but found {describe(s)}")
                items.append(s.value)
        if t.kind == "punct" and t.text == "<":
            items = []
            while True:
                s = self.next()
                if s.kind == "punct" and s.text == ">":
                    return Value("collection", t.line, items)
                if not self.is_kw(s, "item"):
                    self.error(s, f"expected 'item' or '>' in a collection but found {describe(s)}")
                body = self.parse_body(s, allow_objects=False, allow_inherited=False)
                items.append((s.line, body))
        self.error(t, f"expected a value but found {describe(t)}")


def describe(t):
    if t.kind == "eof":
        return "the end of the file"
    if t.kind == "string":
        return "a string"
    return f"'{t.text}'"


def parse_file(path):
    try:
        with open(path, "r", encoding="utf-8") as f:
            text = f.read()
    except UnicodeDecodeError as e:
        raise FormGenError(path, 1, f"not UTF-8 text ({e.reason})")
    return Parser(tokenize(text, path), path).parse()


# --------------------------------------------------------------------------------------------
# Checks and flattening

def walk_objects(body):
    for item in body:
        if isinstance(item, Obj):
            yield item
            yield from walk_objects(item.body)


def collect_chain(desc, by_class):
    chain = [desc]
    seen = {desc.cls}
    d = desc
    while d.base:
        base = by_class.get(d.base)
        if base is None:
            raise FormGenError(d.file, d.line, f"no description of the base class {d.base} was given")
        if base.cls in seen:
            raise FormGenError(d.file, d.line, f"the inheritance of {desc.cls} runs in a circle")
        seen.add(base.cls)
        chain.append(base)
        d = base
    chain.reverse()
    return chain


def check_chain(chain):
    """Component names over the whole chain; returns {name: (class, declaring description)}."""
    comps = {}
    for d in chain:
        for o in walk_objects(d.body):
            if o.kind == "object":
                if o.name in comps:
                    prev = comps[o.name][1]
                    where = "" if prev is d else f" by the base description {prev.file}"
                    raise FormGenError(d.file, o.line, f"a component named {o.name} is already declared{where}")
                if o.name == chain[-1].name:
                    raise FormGenError(d.file, o.line, f"the component {o.name} has the form's own name")
                comps[o.name] = (o.cls, d)
            else:
                if o.name not in comps or comps[o.name][1] is d:
                    raise FormGenError(d.file, o.line,
                                       f"'inherited {o.name}' names no component of a base description")
    return comps


# --------------------------------------------------------------------------------------------
# Code generation

def cpp_class(cls):
    return "fw::" + cls if cls in FRAMEWORK_CLASSES else cls


def cpp_string(s):
    out = ['L"']
    for ch in s:
        o = ord(ch)
        if ch == '"':
            out.append('\\"')
        elif ch == "\\":
            out.append("\\\\")
        elif 0x20 <= o < 0x7F:
            out.append(ch)
        elif o <= 0xFFFF:
            # A surrogate half ('#$D83D#$DE00') has no universal character name: \x keeps it
            # as the UTF-16 code unit it is.
            out.append(f"\\u{o:04X}" if o >= 0xA0 and not 0xD800 <= o <= 0xDFFF else f"\\x{o:04X}")
        else:
            out.append(f"\\U{o:08X}")
    out.append('"')
    # A hex escape swallows following hex digits; close and reopen the literal after one.
    text = "".join(out)
    return re.sub(r'(\\x[0-9A-F]{4})(?=[0-9A-Fa-f])', r'\1" L"', text)


def cpp_narrow(s):
    """A plain C++ string literal (for compiler messages; the names in it are ASCII)."""
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def cpp_int(value):
    v, is_hex = value
    if -0x80000000 <= v <= 0x7FFFFFFF:
        if is_hex:
            return f"-0x{-v:X}" if v < 0 else f"0x{v:08X}"
        return str(v)
    if 0 <= v <= 0xFFFFFFFF:
        return f"static_cast<int32_t>(0x{v:08X}u)"
    return f"INT64_C({v})"


class Gen:
    def __init__(self, desc, chain, comps, out_file):
        self.desc = desc           # the concrete description
        self.out_file = out_file
        self.chain = chain
        self.comps = comps
        self.cls = desc.cls
        self.lines = []
        self.deferred = []
        self.tmp = 0
        self.type_helpers = set()
        self.value_helpers = {}    # identifier -> (file, line) of its first use

    def emit(self, file, line, code):
        self.lines.append(f'#line {line} "{cpp_path(file)}"')
        self.lines.append(f"        L_.Line = {line}; {code}")

    def fresh(self, base):
        self.tmp += 1
        return f"{base}{self.tmp}_"

    # Values -------------------------------------------------------------------------------

    def is_reference(self, v):
        return v.kind == "ident" and (v.data in self.comps or v.data == self.desc.name)

    def has_reference(self, values):
        return any(v.kind == "dotted" or self.is_reference(v) for v in values)

    def by_type(self, values):
        """The identifier a statement resolves through the property's type and the form's members
        (not a Boolean, not a component), or None."""
        if len(values) != 1:
            return None
        v = values[0]
        if v.kind != "ident" or v.data.lower() in ("true", "false") or self.is_reference(v):
            return None
        return v.data

    def expr(self, v, file):
        k = v.kind
        if k == "int":
            return cpp_int(v.data)
        if k == "string":
            return cpp_string(v.data)
        if k == "raw":
            return v.data
        if k == "ident":
            low = v.data.lower()
            if low == "true":
                return "true"
            if low == "false":
                return "false"
            if v.data == self.desc.name:
                return "this"
            return v.data
        if k == "dotted":
            form, comp = v.data
            if form == self.desc.name:
                if comp not in self.comps:
                    raise FormGenError(file, v.line, f"this form has no component {comp}")
                return comp
            raise AssertionError("cross-form references are emitted as statements")
        if k == "set":
            if not v.data:
                return "{}"
            if len(v.data) == 1:
                return v.data[0]
            return "(" + " | ".join(v.data) + ")"
        if k == "picture":
            kind, name = v.data
            return f"fw::desc::{PICTURE_KINDS[kind]}({cpp_string(name)})"
        raise FormGenError(file, v.line, f"a {k} cannot be combined with other values")

    def resolve(self, cls, name, ident, file, line):
        """An expression of `ident` given to property `name` of an object of class `cls`: an
        enumerator of the property's own type (two enumerations may share enumerator names),
        else a handler (a member function of the form's class), else the name as the form's code
        sees it (a colour, a cursor, an enumerator, a macro). A name unknown everywhere fails the
        build at its line."""
        self.type_helpers.add(name)
        self.value_helpers.setdefault(ident, (file, line))
        return (f"fgValue_{ident}<typename decltype(fgTypeOf_{name}<{cls}>())::type>"
                f"(this, [&](auto) {{ return {ident}; }})")

    def type_helper(self, name):
        """fgTypeOf_NAME<C>(): the declared type of property NAME of class C, as what its getter
        returns, else its field's type, else what its only setter takes."""
        return "\n".join([
            "template <class C_>",
            f"[[maybe_unused]] auto fgTypeOf_{name}() {{",
            f"    if constexpr (requires(C_* q) {{ q->Get{name}(); }})",
            f"        return std::type_identity<std::remove_cvref_t<decltype(std::declval<C_*>()->Get{name}())>>();",
            f"    else if constexpr (requires(C_* q) {{ q->{name}; }})",
            f"        return std::type_identity<std::remove_cvref_t<decltype(std::declval<C_*>()->{name})>>();",
            "    else",
            f"        return decltype(fw::desc::SetterArg(&C_::Set{name}))();",
            "}",
        ])

    def value_helper(self, ident, file, line):
        """fgValue_IDENT<T>(form, fallback): see resolve. The fallback is called only when IDENT
        is neither an enumerator of T nor a member function of the form (and always for a macro,
        which cannot be qualified)."""
        return "\n".join([
            f'#line {line} "{cpp_path(file)}"',
            "template <class T_, class F_, class G_>",
            f"[[maybe_unused]] auto fgValue_{ident}([[maybe_unused]] F_* form, G_ fallback) {{",
            f"#ifndef {ident}",
            f"    if constexpr (requires {{ T_::{ident}; }}) return T_::{ident};",
            f"    else if constexpr (requires {{ requires std::is_member_function_pointer_v<decltype(&F_::{ident})>; }})",
            f"        return fw::Bind(form, &F_::{ident});",
            "    else",
            "#endif",
            "        return fallback(0);",
            "}",
        ])

    # Statements ---------------------------------------------------------------------------

    def choose(self, p, name, where, branch):
        """Code setting member `name` of the object behind `p`; branch(name) gives (condition,
        code). An object without the member fails the build with a message naming the object and
        the member."""
        cond, code = branch(name)
        message = cpp_narrow(f"{where} has no property or event named '{name}'")
        return (f"if constexpr ({cond}) {{ {code} }} "
                f"else {{ static_assert(fw::desc::NoMember<decltype({p})>, {message}); }}")

    def leaf(self, p, name, prop, file, where):
        """Code assigning prop's value(s) to property `name` of the object pointed to by `p`
        (an object with setters, or a record with fields)."""
        values = prop.values
        cls = f"std::remove_pointer_t<decltype({p})>"
        if len(values) == 1 and values[0].kind in ("strings", "collection"):
            v = values[0]

            def branch(s):
                if v.kind == "strings":
                    items = ", ".join(cpp_string(x) for x in v.data)
                    code = f"fw::desc::SetStrings({p}->Get{s}(), {{{items}}});"
                else:
                    code = self.collection(f"{p}->Get{s}()", v, file, f"{where}.{name}")
                return f"requires {{ {p}->Get{s}(); }}", code
            return self.choose(p, name, where, branch)
        for v in values:
            if v.kind in ("strings", "collection"):
                raise FormGenError(file, v.line, "a string list or collection must be the only value")
        ident = self.by_type(values)
        if ident:
            return self.choose(p, name, where, lambda s: (
                f"requires {{ &{cls}::Set{s}; }} || requires {{ {p}->{s}; }}",
                f"auto v_ = {self.resolve(cls, s, ident, file, prop.line)}; "
                f"if constexpr (requires {{ &{cls}::Set{s}; }}) {p}->Set{s}(v_); else {p}->{s} = v_;"))
        args = ", ".join(self.expr(v, file) for v in values)
        if len(values) == 1:
            return self.choose(p, name, where, lambda s: (
                f"{has_setter(p, s, args)} || requires {{ {p}->{s}; }}",
                f"if constexpr ({has_setter(p, s, args)}) {p}->Set{s}({args}); else {p}->{s} = {args};"))
        return self.choose(p, name, where, lambda s: (
            f"requires {{ {p}->Set{s}({args}); }} || {has_setter(p, s, '{' + args + '}')} || requires {{ {p}->{s}; }}",
            f"if constexpr (requires {{ {p}->Set{s}({args}); }}) {p}->Set{s}({args}); "
            f"else if constexpr ({has_setter(p, s, '{' + args + '}')}) {p}->Set{s}({{{args}}}); "
            f"else {p}->{s} = {{{args}}};"))

    def collection(self, getter, value, file, where):
        col = self.fresh("col")
        parts = [f"auto* {col} = {getter}; {col}->BeginUpdate(); {col}->Clear();"]
        for n, (line, body) in enumerate(value.data):
            it = self.fresh("item")
            parts.append(f"{{ auto* {it} = {col}->Add();")
            for prop in body:
                if self.has_reference(prop.values):
                    raise FormGenError(file, prop.line, "collection items cannot refer to components")
                parts.append(self.path_code(it, prop, file, f"{where} item {n}"))
            parts.append("}")
        parts.append(f"{col}->EndUpdate();")
        return " ".join(parts)

    def path_code(self, target, prop, file, where):
        """Code applying prop to the object expression `target` (a pointer)."""
        path = prop.path
        p0 = self.fresh("p")
        # A.B.C = v: step through A and B (objects in place, records copied and written back),
        # built from the innermost step outwards.
        ps = [self.fresh("p") for _ in path[:-1]]
        body = self.leaf(ps[-1] if ps else p0, path[-1], prop, file, ".".join([where] + path[:-1]))
        for i in range(len(path) - 2, -1, -1):
            owner = p0 if i == 0 else ps[i - 1]
            x = self.fresh("x")
            o = self.fresh("o")
            inner = body
            body = self.choose(owner, path[i], ".".join([where] + path[:i]), lambda s: (
                f"requires {{ {owner}->Get{s}(); }}",
                f"fw::desc::Step({owner}, {owner}->Get{s}(), [&](auto* {ps[i]}) {{ {inner} }}, "
                f"[&](auto* {o}, const auto& {x}) {{ {o}->Set{s}({x}); }});"))
        return f"[&](auto* {p0}) {{ {body} }}({target});"

    def prop_statement(self, target, prop, file, where):
        cross = [v for v in prop.values if v.kind == "dotted" and v.data[0] != self.desc.name]
        if cross:
            if len(prop.values) != 1:
                raise FormGenError(file, prop.line, "a reference into another form must be the only value")
            form, comp = cross[0].data
            r = self.fresh("ref")
            inner = Prop(prop.path, [Value("raw", prop.line, r)], prop.line)
            code = self.path_code(target, inner, file, where)
            return (f"L_.FormReference({cpp_string(form)}, {cpp_string(comp)}, "
                    f"[=, this](const fw::desc::TComponentRef& {r}) {{ {code} }});")
        return self.path_code(target, prop, file, where)

    def body(self, target, items, file):
        where = f"{self.desc.name} ({self.cls})" if target == "this" else f"{target} ({self.comps[target][0]})"
        for item in items:
            if isinstance(item, Prop):
                if item.path == ["Name"]:
                    raise FormGenError(file, item.line, "the name is given in the 'object' line")
                stmt = self.prop_statement(target, item, file, where)
                if self.has_reference(item.values):
                    self.deferred.append((file, item.line, stmt))
                else:
                    self.emit(file, item.line, stmt)
            else:
                if item.kind == "object":
                    self.emit(file, item.line,
                              f"{item.name} = new {cpp_class(item.cls)}(this); "
                              f"L_.Add({item.name}, {cpp_string(item.name)}); "
                              f"fw::desc::Place({item.name}, {target});")
                self.body(item.name, item.body, file)

    def source(self):
        d = self.desc
        out = [
            f"// Generated by tools/formgen from {os.path.basename(d.file)}; do not edit.",
            f'#include "{(d.unit or stem(d.file))}.h"',
            '#include "fw_formload.h"',
            "",
            "#include <cstdint>",
            "",
            "using namespace fw;",
            "",
        ]
        self.lines = []
        self.lines.append(f"        L_.SetFormName({cpp_string(d.name)});")
        for link in self.chain:
            self.body("this", link.body, link.file)
        for (file, line, stmt) in self.deferred:
            self.emit(file, line, stmt)
        if self.type_helpers or self.value_helpers:
            out.append("namespace {")
            out.extend(self.type_helper(n) for n in sorted(self.type_helpers))
            out.extend(self.value_helper(i, *self.value_helpers[i]) for i in sorted(self.value_helpers))
            out.append("}  // namespace")
            out.append(own_numbering(out, self.out_file))
        out.extend([
            f"bool {self.cls}::ReadDescription() {{",
            f"    fw::desc::TLoader L_(this, {cpp_string(os.path.basename(d.file))});",
            "    try {",
        ])
        out.extend(self.lines)
        # Back to the generated file's own numbering for the closing part.
        out.append(own_numbering(out, self.out_file))
        out.extend([
            "        L_.Finish();",
            "        L_.LoadedAll();",
            "    } catch (fw::Exception& e) {",
            "        L_.Annotate(e);",
            "        throw;",
            "    }",
            "    return true;",
            "}",
            "",
        ])
        return "\n".join(out)

    def header(self):
        d = self.desc
        out = [
            f"// Generated by tools/formgen from {os.path.basename(d.file)}; do not edit.",
            f"// Included inside the body of class {self.cls}; leaves the access at public.",
            "public:",
        ]
        for o in walk_objects(d.body):
            if o.kind == "object":
                out.append(f"    {cpp_class(o.cls)}* {o.name} = nullptr;")
        out.extend([
            "protected:",
            "    bool ReadDescription() override;",
            "public:",
            "",
        ])
        return "\n".join(out)


def own_numbering(lines, out_file):
    """A #line directive giving the line after it its own number in the generated file."""
    number = "\n".join(lines).count("\n") + 3
    return f'#line {number} "{cpp_path(out_file)}"'


def has_setter(p, name, args):
    """A condition true when the object behind `p` has a setter for `name` (a record has fields
    instead). A setter that exists but does not take the value stays chosen, so that the
    compiler's message is about the value, not about a missing field."""
    return (f"requires {{ &std::remove_pointer_t<decltype({p})>::Set{name}; }} || "
            f"requires {{ {p}->Set{name}({args}); }}")


def stem(path):
    base = os.path.basename(path)
    return base[:-5] if base.endswith(".form") else os.path.splitext(base)[0]


def cpp_path(path):
    return path.replace("\\", "/").replace('"', '\\"')


def generate(files, out_dir):
    descs = [parse_file(f) for f in files]
    by_class = {}
    by_stem = {}
    for d in descs:
        if stem(d.file) in by_stem:
            raise FormGenError(d.file, 1, f"another description has the same file name: {by_stem[stem(d.file)]}")
        by_stem[stem(d.file)] = d.file
        if d.cls in by_class:
            raise FormGenError(d.file, d.line, f"{d.cls} is also described by {by_class[d.cls].file}")
        by_class[d.cls] = d
    results = {}
    for d in descs:
        chain = collect_chain(d, by_class)
        comps = check_chain(chain)
        g = Gen(d, chain, comps, os.path.join(out_dir, stem(d.file) + "_form.cpp"))
        results[stem(d.file)] = (g.header(), g.source())
    os.makedirs(out_dir, exist_ok=True)
    for name, (h, cpp) in results.items():
        write_if_changed(os.path.join(out_dir, name + "_form.h"), h)
        write_if_changed(os.path.join(out_dir, name + "_form.cpp"), cpp)


def write_if_changed(path, text):
    try:
        with open(path, "r", encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def main(argv=None):
    ap = argparse.ArgumentParser(description="Translates form descriptions into C++.")
    ap.add_argument("--out", required=True, help="output folder")
    ap.add_argument("files", nargs="+", help="form descriptions (with the descriptions they inherit)")
    args = ap.parse_args(argv)
    try:
        generate(args.files, args.out)
    except FormGenError as e:
        print(str(e), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
