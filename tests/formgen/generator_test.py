"""The form-description generator: its own errors name the file and line; the code it writes
maps every statement back to the description and applies references after the tree exists."""

import os
import re
import subprocess
import sys
import tempfile
import textwrap
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.normpath(os.path.join(HERE, "..", "..", "tools", "formgen", "formgen.py"))


class GeneratorRun:
    def __init__(self, files):
        self.dir = tempfile.TemporaryDirectory()
        self.paths = []
        for name, text in files.items():
            path = os.path.join(self.dir.name, name)
            with open(path, "w", encoding="utf-8") as f:
                f.write(textwrap.dedent(text).lstrip("\n"))
            self.paths.append(path)
        self.out = os.path.join(self.dir.name, "out")
        p = subprocess.run([sys.executable, GENERATOR, "--out", self.out] + self.paths,
                           capture_output=True, text=True)
        self.code = p.returncode
        self.stderr = p.stderr

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def read(self, name):
        with open(os.path.join(self.out, name), encoding="utf-8") as f:
            return f.read()

    def close(self):
        self.dir.cleanup()


class GeneratorErrors(unittest.TestCase):
    def fails(self, files, file, line, fragment):
        run = GeneratorRun(files)
        try:
            self.assertEqual(run.code, 1, run.stderr)
            first = run.stderr.strip().splitlines()[0]
            self.assertTrue(first.startswith(f"{run.path(file)}:{line}: error: "), first)
            self.assertIn(fragment, first)
            self.assertFalse(os.path.exists(run.out) and os.listdir(run.out), "nothing is written on an error")
        finally:
            run.close()

    def test_missing_equals_names_the_line(self):
        self.fails({"a.form": """
            form frmA: TfrmA
              ClientWidth = 10
              Caption 'x'
            end
            """}, "a.form", 3, "expected '=' after 'Caption'")

    def test_unclosed_object_names_its_opening_line(self):
        self.fails({"a.form": """
            form frmA: TfrmA
              object pnl1: TPanel
                Left = 1
                object lbl1: TLabel
                end
            """}, "a.form", 2, "'object' at line 2 is never closed")

    def test_unterminated_string(self):
        self.fails({"a.form": """
            form frmA: TfrmA
              Caption = 'no end
            end
            """}, "a.form", 2, "unterminated string")

    def test_bad_value_in_a_set(self):
        self.fails({"a.form": """
            form frmA: TfrmA
              object lbl1: TLabel
                Anchors = [akLeft akTop]
              end
            end
            """}, "a.form", 3, "expected ',' or ']' in a set")

    def test_missing_base_description(self):
        self.fails({"a.form": """
            form frmA: TfrmA inherits TfrmNothing
            end
            """}, "a.form", 1, "no description of the base class TfrmNothing")

    def test_duplicate_of_an_inherited_component(self):
        self.fails({
            "base.form": """
                form frmBase: TfrmBase
                  object lbl1: TLabel
                  end
                end
                """,
            "a.form": """
                form frmA: TfrmA inherits TfrmBase
                  Tag = 1
                  object lbl1: TLabel
                  end
                end
                """}, "a.form", 3, "a component named lbl1 is already declared by the base description")

    def test_inherited_block_needs_a_base_component(self):
        self.fails({"a.form": """
            form frmA: TfrmA
              object lbl1: TLabel
              end
              inherited lbl2
              end
            end
            """}, "a.form", 4, "'inherited lbl2' names no component of a base description")

    def test_text_after_the_final_end(self):
        self.fails({"a.form": """
            form frmA: TfrmA
            end
            Tag = 3
            """}, "a.form", 3, "text after the form's final 'end'")

    def test_bad_character(self):
        self.fails({"a.form": """
            form frmA: TfrmA
              Tag = 3 ;
            end
            """}, "a.form", 2, "unexpected character ';'")


class GeneratedCode(unittest.TestCase):
    def setUp(self):
        self.run_ = GeneratorRun({
            "base.form": """
                unit uBase
                form frmBase: TfrmBase
                  OnCreate = FormCreate
                  object lblA: TLabel
                    Caption = 'a'
                  end
                end
                """,
            "uView.form": """
                unit uView
                form frmView: TfrmView inherits TfrmBase
                  // a comment
                  object pnl1: TPanel
                    Buddy = lbl9
                    Left = 5
                  end
                  object lbl9: TLabel
                    Resource = frmOther.res1
                  end
                end
                """})
        self.assertEqual(self.run_.code, 0, self.run_.stderr)
        self.cpp = self.run_.read("uView_form.cpp")
        self.h = self.run_.read("uView_form.h")

    def tearDown(self):
        self.run_.close()

    def line_of(self, fragment):
        lines = self.cpp.splitlines()
        for i, l in enumerate(lines):
            if fragment in l:
                return i, lines
        self.fail(f"{fragment!r} not generated")

    def test_every_statement_carries_its_description_line(self):
        i, lines = self.line_of("pnl1->SetLeft(5);")
        self.assertEqual(lines[i - 1], f'#line 6 "{self.run_.path("uView.form")}"')
        i, lines = self.line_of('lblA->SetCaption(L"a");')
        self.assertEqual(lines[i - 1], f'#line 5 "{self.run_.path("base.form")}"')

    def test_inherited_handlers_bind_in_the_derived_class(self):
        self.assertIn("fw::Bind(this, &TfrmView::FormCreate)", self.cpp)
        self.assertNotIn("TfrmBase::FormCreate", self.cpp)

    def test_references_follow_the_creation_of_every_component(self):
        ref, _ = self.line_of("SetBuddy(lbl9)")
        created, _ = self.line_of("lbl9 = new fw::TLabel(this)")
        self.assertGreater(ref, created)
        cross, _ = self.line_of('L_.FormReference(L"frmOther", L"res1"')
        self.assertGreater(cross, created)
        loaded, _ = self.line_of("L_.LoadedAll();")
        self.assertGreater(loaded, max(ref, cross))

    def test_header_declares_only_the_own_components(self):
        self.assertIn("fw::TPanel* pnl1 = nullptr;", self.h)
        self.assertIn("fw::TLabel* lbl9 = nullptr;", self.h)
        self.assertNotIn("lblA", self.h)
        self.assertIn('#include "uView.h"', self.cpp)
        self.assertTrue(re.search(r"bool ReadDescription\(\) override;", self.h))


class MisspeltNamesFailTheBuild(unittest.TestCase):
    """The generated code is compiled (syntax only) with the cross compiler: a misspelt property,
    handler or event is a compiler error at the description's own file and line."""

    HEADER = """
        #include "fw_formload.h"
        class TTypoForm : public fw::TForm {
        public:
            TTypoForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
        #include "typo_form.h"
            void FormCreate(fw::TObject* Sender) {}
            void tmr1Timer(fw::TObject* Sender) {}
        };
        """

    def test_compiler_names_the_description_line(self):
        cxx = os.environ.get("VR_CXX")
        fw_include = os.environ.get("VR_FW_INCLUDE")
        if not cxx or not fw_include:
            self.skipTest("VR_CXX and VR_FW_INCLUDE name the cross compiler and the framework folder")
        run = GeneratorRun({"typo.form": """
            unit typo_unit
            form frmTypo: TTypoForm
              Colr = clRed
              OnCreate = FormCreat
              OnClose = FormCreate
              object tmr1: TTimer
                Intervall = 5
                OnTimr = tmr1Timer
              end
            end
            """})
        try:
            self.assertEqual(run.code, 0, run.stderr)
            with open(os.path.join(run.out, "typo_unit.h"), "w", encoding="utf-8") as f:
                f.write(textwrap.dedent(self.HEADER))
            p = subprocess.run(
                [cxx, "-std=c++20", "-fsyntax-only", "-DUNICODE", "-D_UNICODE", "-DWIN32_LEAN_AND_MEAN",
                 "-DNOMINMAX", "-D_WIN32_WINNT=0x0601", "-I" + fw_include, "-I" + run.out,
                 os.path.join(run.out, "typo_form.cpp")],
                capture_output=True, text=True)
            self.assertNotEqual(p.returncode, 0)
            errors = [l for l in p.stderr.splitlines() if ": error: " in l]
            form = run.path("typo.form")

            def error_at(line, name):
                return any(l.startswith(f"{form}:{line}:") and name in l for l in errors)

            self.assertTrue(error_at(3, "SetColr"), "\n".join(errors))
            self.assertTrue(error_at(4, "FormCreat"), "\n".join(errors))
            # A handler whose signature does not fit the event.
            self.assertTrue(error_at(5, ""), "\n".join(errors))
            self.assertTrue(error_at(7, "SetIntervall"), "\n".join(errors))
            self.assertTrue(error_at(8, "OnTimr"), "\n".join(errors))
        finally:
            run.close()


if __name__ == "__main__":
    unittest.main()
