"""Pattern facets as automata: the same verdicts as a regular-expression engine on many strings,
the refusals with file and line, and the proof that lets the validator skip common-form dates."""

import os
import random
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "compiler"))

from pelagon_xsdc.patterns import PatternError, translate  # noqa: E402

DATE_TIME = "[0-9]{4}-[0-9]{2}-[0-9]{2}T([01][0-9]|2[0-3]):[0-9]{2}:[0-9]{2}"


class PatternTest(unittest.TestCase):
    def test_same_verdicts_as_a_regular_expression_engine(self):
        # (XML Schema pattern, the same in Python's syntax, where they differ). XML Schema's "."
        # leaves out CR and LF, and its patterns match whole values.
        patterns = [
            (DATE_TIME, None),
            ("(ab|c)*d?", None),
            ("[^a-c]+x{2,3}", None),
            ("a.c", "a[^\r\n]c"),
            ("\\s*[0-9]{1,3}\\S", "[ \t\n\r]*[0-9]{1,3}[^ \t\n\r]"),
            ("é+|[a-]{0,}", None),
            ("\\.\\-\\|\\(x{0}", "\\.\\-\\|\\("),
        ]
        alphabet = "abcdx0129-T:. \t\n\ré€"
        generator = random.Random(20)
        for pattern, python in patterns:
            automaton = translate([pattern])
            expression = re.compile(python or pattern)
            with self.subTest(pattern=pattern):
                samples = ["2008-06-01T23:59:59", "2008-06-01T24:00:00", "", "abcd", "xx", "a\nc"]
                samples += ["".join(generator.choice(alphabet) for _ in range(generator.randrange(8)))
                            for _ in range(3000)]
                for value in samples:
                    self.assertEqual(automaton.matches(value), bool(expression.fullmatch(value)),
                                     repr(value))

    def test_several_patterns_of_one_restriction_match_when_any_does(self):
        automaton = translate(["a+", "b"])
        self.assertEqual([automaton.matches(v) for v in ("aa", "b", "ab", "")],
                         [True, True, False, False])

    def test_refusals_say_why(self):
        cases = {
            "\\d{4}": "Unicode category",
            "[à-é]": "beyond ASCII in a character class",
            "[a-z-[aeiou]]": "subtraction",
            "a{3,2}": "wrong way round",
            "a{2000}": "above 1000",
            "*a": "must follow something",
            "(ab": "not closed",
            "\\q": "not an escape",
        }
        for pattern, reason in cases.items():
            with self.subTest(pattern=pattern):
                with self.assertRaisesRegex(PatternError, re.escape(reason)):
                    translate([pattern])

    def test_common_form_proof(self):
        self.assertTrue(translate([DATE_TIME], "date").covers_common_form)
        self.assertTrue(translate([".*"], "date").covers_common_form)
        # A pattern narrower than the common form makes the validator run it on every date.
        self.assertFalse(translate(["2[0-9]{3}-.*"], "date").covers_common_form)
        self.assertFalse(translate([DATE_TIME], "string").covers_common_form)


if __name__ == "__main__":
    unittest.main()
