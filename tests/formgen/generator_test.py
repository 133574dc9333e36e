"""The form-description generator: its own errors name the file and line, the code it writes maps
every statement back to the description, and a misspelt name fails the build at that line."""

import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.normpath(os.path.join(HERE, "..", "..", "tools", "formgen", "formgen.py"))


class GeneratorRun:
    """The generator run on the descriptions among `files` (the others, headers, are written beside
    them)."""

    def __init__(self, files):
        self.dir = tempfile.TemporaryDirectory()
        paths = []
        for name, text in files.items():
            with open(self.path(name), "w", encoding="utf-8") as f:
                f.write(textwrap.dedent(text).lstrip("\n"))
            if name.endswith(".form"):
                paths.append(self.path(name))
        self.out = self.path("out")
        p = subprocess.run([sys.executable, GENERATOR, "--out", self.out] + paths,
                           capture_output=True, text=True)
        self.code, self.stderr = p.returncode, p.stderr

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def read(self, name):
        with open(os.path.join(self.out, name), encoding="utf-8") as f:
            return f.read()


BASE = """
    form frmBase: TfrmBase
      object lbl1: TLabel
      end
    end
    """

# (description, line of the error, what the message says); the description is a.form, which
# inherits base.form when it says so.
ERRORS = [
    ("form frmA: TfrmA\n  ClientWidth = 10\n  Caption 'x'\nend\n", 3, "expected '=' after 'Caption'"),
    ("form frmA: TfrmA\n  object pnl1: TPanel\n    object lbl1: TLabel\n    end\n", 2,
     "'object' at line 2 is never closed"),
    ("form frmA: TfrmA\n  Caption = 'no end\nend\n", 2, "unterminated string"),
    ("form frmA: TfrmA\n  object lbl1: TLabel\n    Anchors = [akLeft akTop]\n  end\nend\n", 3,
     "expected ',' or ']' in a set"),
    ("form frmA: TfrmA inherits TfrmNothing\nend\n", 1, "no description of the base class TfrmNothing"),
    ("form frmA: TfrmA inherits TfrmBase\n  Tag = 1\n  object lbl1: TLabel\n  end\nend\n", 3,
     "a component named lbl1 is already declared by the base description"),
    ("form frmA: TfrmA\n  object lbl1: TLabel\n  end\n  inherited lbl2\n  end\nend\n", 4,
     "'inherited lbl2' names no component of a base description"),
    ("form frmA: TfrmA\nend\nTag = 3\n", 3, "text after the form's final 'end'"),
    ("form frmA: TfrmA\n  Tag = 3 ;\nend\n", 2, "unexpected character ';'"),
]


class GeneratorErrors(unittest.TestCase):
    def test_errors_name_the_description_line_and_write_nothing(self):
        for text, line, fragment in ERRORS:
            with self.subTest(fragment):
                run = GeneratorRun({"base.form": BASE, "a.form": text})
                self.assertEqual(run.code, 1, run.stderr)
                first = run.stderr.strip().splitlines()[0]
                self.assertTrue(first.startswith(f"{run.path('a.form')}:{line}: error: "), first)
                self.assertIn(fragment, first)
                self.assertFalse(os.path.exists(run.out) and os.listdir(run.out), "nothing is written on an error")


class GeneratedCode(unittest.TestCase):
    def test_every_statement_carries_its_description_line_also_from_the_base(self):
        run = GeneratorRun({
            "base.form": "unit uBase\nform frmBase: TfrmBase\n  object lblA: TLabel\n    Caption = 'a'\n  end\nend\n",
            "uView.form": "unit uView\nform frmView: TfrmView inherits TfrmBase\n  // a comment\n"
                          "  object pnl1: TPanel\n    Left = 5\n  end\nend\n"})
        self.assertEqual(run.code, 0, run.stderr)
        lines = run.read("uView_form.cpp").splitlines()

        def line_before(fragment):
            return next(lines[i - 1] for i, l in enumerate(lines) if fragment in l)

        self.assertEqual(line_before("->SetLeft(5);"), f'#line 5 "{run.path("uView.form")}"')
        self.assertEqual(line_before('->SetCaption(L"a");'), f'#line 4 "{run.path("base.form")}"')


class GeneratedCodeCompiles(unittest.TestCase):
    """The generated code is compiled (syntax only) with the cross compiler: names resolve as the
    description means them, and a misspelt property, handler or event is a compiler error at the
    description's own file and line, naming the component and the member it lacks."""

    def compile(self, run, cpp):
        cxx, fw_include = os.environ.get("VR_CXX"), os.environ.get("VR_FW_INCLUDE")
        if not cxx or not fw_include:
            self.skipTest("VR_CXX and VR_FW_INCLUDE name the cross compiler and the framework folder")
        self.assertEqual(run.code, 0, run.stderr)
        return subprocess.run(
            [cxx, "-std=c++20", "-fsyntax-only", "-DUNICODE", "-D_UNICODE", "-DWIN32_LEAN_AND_MEAN", "-DNOMINMAX",
             "-D_WIN32_WINNT=0x0601", "-I" + fw_include, "-I" + run.dir.name, "-I" + run.out,
             os.path.join(run.out, cpp)], capture_output=True, text=True)

    def test_names_resolve_by_the_property_and_the_form_whatever_their_look(self):
        # skHor of the scoped kind (the other kind shares the name), a handler for an event whose
        # name goes on in lower case, a macro as a value.
        run = GeneratorRun({"names_unit.h": """
            #include "fw_formload.h"
            enum TKindA { skHor, skVer };
            enum class TKindB { skHor, skVer };
            #define WIDGET_ANSWER 42
            class TWidget : public fw::TComponent {
            public:
                explicit TWidget(fw::TComponent* AOwner) : TComponent(AOwner) {}
                TKindB Getkind() const { return K; }
                void Setkind(TKindB Value) { K = Value; }
                void SetAnswer(int) {}
                fw::TNotifyEvent OnbtnClick;
                TKindB K = TKindB::skVer;
            };
            class TNamesForm : public fw::TForm {
            public:
                TNamesForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
            #include "names_form.h"
                void w1Click(fw::TObject*) {}
            };
            """, "names.form": """
            unit names_unit
            form frmNames: TNamesForm
              object w1: TWidget
                kind = skHor
                OnbtnClick = w1Click
                Answer = WIDGET_ANSWER
              end
            end
            """})
        p = self.compile(run, "names_form.cpp")
        self.assertEqual(p.returncode, 0, p.stderr)

    def test_compiler_names_the_description_line(self):
        run = GeneratorRun({"typo_unit.h": """
            #include "fw_formload.h"
            class TTypoForm : public fw::TForm {
            public:
                TTypoForm(const fw::TFormKey& Key, fw::TComponent* AOwner) : TForm(Key, AOwner) {}
            #include "typo_form.h"
                void FormCreate(fw::TObject* Sender) {}
                void tmr1Timer(fw::TObject* Sender) {}
            };
            """, "typo.form": """
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
        p = self.compile(run, "typo_form.cpp")
        self.assertNotEqual(p.returncode, 0)
        errors = [l for l in p.stderr.splitlines() if ": error: " in l]
        form = run.path("typo.form")
        # Line 5: a handler whose signature does not fit the event.
        for line, name in [(3, "frmTypo (TTypoForm) has no property or event named 'Colr'"), (4, "FormCreat"),
                           (5, ""), (7, "tmr1 (TTimer) has no property or event named 'Intervall'"),
                           (8, "tmr1 (TTimer) has no property or event named 'OnTimr'")]:
            self.assertTrue(any(l.startswith(f"{form}:{line}:") and name in l for l in errors),
                            f"line {line}:\n" + "\n".join(errors))


if __name__ == "__main__":
    unittest.main()
