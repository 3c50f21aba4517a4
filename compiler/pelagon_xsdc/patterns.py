"""Translates xs:pattern facets into automata that the validator of the binding runtime runs.

A pattern is an XML Schema regular expression (XML Schema 1.0 Datatypes, appendix F), matched
against the whole value. It becomes a deterministic automaton over the bytes of the value's
UTF-8 form: a table of byte classes (bytes that no pattern tells apart share a class), one row
of next states per state, and the accepting states. The validator reads each byte once.

The subset translated (anything else is refused with the reason, and the compiler adds the file
and line):
- branches (|), groups ((...)), the quantifiers ?, *, + and {n}, {n,}, {n,m};
- ordinary characters, any Unicode character among them, and the single-character escapes
  \\n \\r \\t \\\\ \\| \\. \\? \\* \\+ \\( \\) \\{ \\} \\- \\[ \\] \\^;
- the wildcard . (any character but LF and CR), \\s and \\S;
- character classes [...] and [^...] of ASCII characters, ranges and the escapes above.
Refused: \\d \\w \\i \\c and their complements and \\p{...} / \\P{...} (they stand for Unicode
categories; write the ASCII class you mean, such as [0-9]), characters beyond ASCII inside a
class, and class subtraction.

Values are well-formed UTF-8 (the reader sees to that), so "any character" is a lead byte and
the continuation bytes it announces.
"""

from dataclasses import dataclass

MAX_STATES = 250  # each state is one byte in the tables
MAX_REPEAT = 1000
MAX_NFA_STATES = 20000

_SINGLE_ESCAPES = {"n": "\n", "r": "\r", "t": "\t"}
_SINGLE_ESCAPES.update({c: c for c in "\\|.?*+(){}-[]^"})
_UNICODE_ESCAPES = set("dDwWiIcCpP")
_BLANKS = {0x20, 0x09, 0x0A, 0x0D}
_ALL_ASCII = (1 << 128) - 1


class PatternError(Exception):
    pass


@dataclass
class CharSet:
    """ASCII characters as a bit mask, and whether every character beyond ASCII is in the set."""
    ascii: int
    beyond: bool = False

    def complement(self):
        return CharSet(~self.ascii & _ALL_ASCII, not self.beyond)

    def union(self, other):
        return CharSet(self.ascii | other.ascii, self.beyond or other.beyond)


def _mask(*codes):
    out = 0
    for code in codes:
        out |= 1 << code
    return out


def _range_mask(first, last):
    return ((1 << (last + 1)) - 1) ^ ((1 << first) - 1)


# --- parsing: pattern text to a tree of ("set", CharSet) ("bytes", [mask...]) ("seq", [...])
# ("alt", [...]) ("repeat", node, least, most or None) ----------------------------------------

class _Parser:
    def __init__(self, text):
        self.text = text
        self.pos = 0

    def fail(self, message):
        raise PatternError(f"{message} (at character {self.pos + 1} of the pattern)")

    def peek(self):
        return self.text[self.pos] if self.pos < len(self.text) else None

    def take(self):
        c = self.peek()
        self.pos += 1
        return c

    def parse(self):
        node = self.branches()
        if self.peek() is not None:
            self.fail(f'unexpected "{self.peek()}"')
        return node

    def branches(self):
        options = [self.branch()]
        while self.peek() == "|":
            self.take()
            options.append(self.branch())
        return options[0] if len(options) == 1 else ("alt", options)

    def branch(self):
        pieces = []
        while self.peek() is not None and self.peek() not in "|)":
            pieces.append(self.piece())
        return ("seq", pieces)

    def piece(self):
        atom = self.atom()
        c = self.peek()
        if c == "?":
            self.take()
            return ("repeat", atom, 0, 1)
        if c == "*":
            self.take()
            return ("repeat", atom, 0, None)
        if c == "+":
            self.take()
            return ("repeat", atom, 1, None)
        if c == "{":
            self.take()
            least = self.number()
            most = least
            if self.peek() == ",":
                self.take()
                most = self.number() if self.peek() != "}" else None
            if self.take() != "}":
                self.fail("a quantifier {n}, {n,} or {n,m} is not closed")
            if most is not None and most < least:
                self.fail(f"the quantifier {{{least},{most}}} has its bounds the wrong way round")
            return ("repeat", atom, least, most)
        return atom

    def number(self):
        start = self.pos
        while self.peek() is not None and self.peek().isdigit() and self.peek().isascii():
            self.take()
        if start == self.pos:
            self.fail("a quantifier needs a number")
        value = int(self.text[start:self.pos])
        if value > MAX_REPEAT:
            self.fail(f"a quantifier above {MAX_REPEAT} is not supported")
        return value

    def atom(self):
        c = self.take()
        if c == "(":
            node = self.branches()
            if self.take() != ")":
                self.fail("a group is not closed")
            return node
        if c == "[":
            return ("set", self.char_class())
        if c == ".":
            return ("set", CharSet(~_mask(0x0A, 0x0D) & _ALL_ASCII, True))
        if c == "\\":
            return self.escape_node()
        if c in "?*+{":
            self.fail(f'"{c}" must follow something to repeat')
        if c in "]}":
            self.fail(f'"{c}" must be escaped')
        return self.character(c)

    def character(self, c):
        if ord(c) < 0x80:
            return ("set", CharSet(_mask(ord(c))))
        return ("bytes", [_mask(b) for b in c.encode("utf-8")])

    def escape(self):
        """A single-character escape as its character, or a multi-character one as a CharSet."""
        c = self.take()
        if c is None:
            self.fail("the pattern ends in a backslash")
        if c in _SINGLE_ESCAPES:
            return _SINGLE_ESCAPES[c]
        if c == "s":
            return CharSet(_mask(*_BLANKS))
        if c == "S":
            return CharSet(_mask(*_BLANKS)).complement()
        if c in _UNICODE_ESCAPES:
            self.fail(f"\\{c} stands for a Unicode category, which is not supported; write the "
                      f"ASCII class meant, such as [0-9]")
        self.fail(f'"\\{c}" is not an escape of XML Schema')

    def escape_node(self):
        escaped = self.escape()
        return ("set", escaped) if isinstance(escaped, CharSet) else self.character(escaped)

    def class_char(self):
        """One character of a class (escape resolved), or a CharSet for \\s and \\S."""
        c = self.take()
        if c is None:
            self.fail("a character class is not closed")
        if c == "\\":
            return self.escape()
        if c == "[":
            self.fail('"[" must be escaped in a character class')
        if ord(c) >= 0x80:
            self.fail(f'"{c}": characters beyond ASCII in a character class are not supported')
        return c

    def char_class(self):
        negated = self.peek() == "^"
        if negated:
            self.take()
        chosen = CharSet(0)
        first = True
        while True:
            c = self.peek()
            if c is None:
                self.fail("a character class is not closed")
            if c == "]" and not first:
                self.take()
                break
            if c == "-" and not first and self.text[self.pos + 1:self.pos + 2] == "[":
                self.fail("character class subtraction is not supported")
            first = False
            low = self.class_char()
            if isinstance(low, CharSet):
                chosen = chosen.union(low)
                continue
            if self.peek() == "-" and self.text[self.pos + 1:self.pos + 2] not in ("]", "["):
                self.take()
                high = self.class_char()
                if isinstance(high, CharSet):
                    self.fail("a range cannot end in a multi-character escape")
                if ord(high) < ord(low):
                    self.fail(f'the range "{low}-{high}" has its ends the wrong way round')
                chosen = chosen.union(CharSet(_range_mask(ord(low), ord(high))))
            else:
                chosen = chosen.union(CharSet(_mask(ord(low))))
        return chosen.complement() if negated else chosen


# --- automata -------------------------------------------------------------------------------

class _Nfa:
    """States with byte-mask edges and empty edges."""

    def __init__(self):
        self.edges = []  # per state: list of (mask, target)
        self.empty = []  # per state: list of targets

    def state(self):
        if len(self.edges) >= MAX_NFA_STATES:
            raise PatternError("the pattern is too large to translate")
        self.edges.append([])
        self.empty.append([])
        return len(self.edges) - 1

    def chain(self, start, masks):
        for mask in masks:
            following = self.state()
            self.edges[start].append((mask, following))
            start = following
        return start

    def build(self, node):
        """(start, end) of a fragment for node."""
        what = node[0]
        start = self.state()
        if what == "set":
            chars = node[1]
            end = self.state()
            if chars.ascii:
                self.edges[start].append((chars.ascii, end))
            if chars.beyond:
                continuation = _range_mask(0x80, 0xBF)
                for lead, more in ((_range_mask(0xC2, 0xDF), 1), (_range_mask(0xE0, 0xEF), 2),
                                   (_range_mask(0xF0, 0xF4), 3)):
                    last = self.chain(start, [lead] + [continuation] * (more - 1))
                    self.edges[last].append((continuation, end))
            return start, end
        if what == "bytes":
            return start, self.chain(start, node[1])
        if what == "seq":
            end = start
            for item in node[1]:
                first, last = self.build(item)
                self.empty[end].append(first)
                end = last
            return start, end
        if what == "alt":
            end = self.state()
            for item in node[1]:
                first, last = self.build(item)
                self.empty[start].append(first)
                self.empty[last].append(end)
            return start, end
        _, item, least, most = node
        end = start
        for _ in range(least):
            first, last = self.build(item)
            self.empty[end].append(first)
            end = last
        if most is None:
            first, last = self.build(item)
            final = self.state()
            self.empty[end] += [first, final]
            self.empty[last] += [first, final]
            return start, final
        exits = [end]
        for _ in range(most - least):
            first, last = self.build(item)
            self.empty[end].append(first)
            end = last
            exits.append(end)
        final = self.state()
        for state in exits:
            self.empty[state].append(final)
        return start, final

    def closure(self, states):
        seen = set(states)
        stack = list(states)
        while stack:
            for target in self.empty[stack.pop()]:
                if target not in seen:
                    seen.add(target)
                    stack.append(target)
        return frozenset(seen)


def _byte_classes(masks):
    """Byte -> class index, bytes in one class wherever no mask tells them apart."""
    signature = {}
    classes = []
    for byte in range(256):
        key = tuple((mask >> byte) & 1 for mask in masks)
        if key not in signature:
            signature[key] = len(signature)
        classes.append(signature[key])
    return classes, len(signature)


@dataclass
class Automaton:
    source: str
    byte_class: list  # 256 class indexes
    class_count: int
    next: list  # state * class_count + class -> state; state 0 is the start
    accepting: list  # per state
    # Every value in the common form of the base type (COMMON_FORMS) matches, so that the
    # validator, which recognises that form first, need not run the automaton for it.
    covers_common_form: bool = False

    @property
    def state_count(self):
        return len(self.accepting)

    def covers(self, other):
        """Whether every value that the other automaton accepts, this one accepts too."""
        seen = {(0, 0)}
        pending = [(0, 0)]
        while pending:
            mine, theirs = pending.pop()
            if other.accepting[theirs] and not self.accepting[mine]:
                return False
            for byte in range(256):
                following = (self.next[mine * self.class_count + self.byte_class[byte]],
                             other.next[theirs * other.class_count + other.byte_class[byte]])
                if following not in seen:
                    seen.add(following)
                    pending.append(following)
        return True

    def matches(self, value):
        """Whether the automaton accepts the UTF-8 bytes of value (for the compiler's tests)."""
        state = 0
        for byte in value.encode("utf-8"):
            state = self.next[state * self.class_count + self.byte_class[byte]]
        return self.accepting[state]


def _minimal(rows, accepting, class_count):
    """The states of a complete automaton merged where no input tells them apart, start first."""
    group = [1 if a else 0 for a in accepting]
    while True:
        keys = {}
        refined = []
        for state, row in enumerate(rows):
            key = (group[state], tuple(group[target] for target in row))
            refined.append(keys.setdefault(key, len(keys)))
        if len(keys) == len(set(group)):
            break
        group = refined
    # Renumber so that the start's group is 0, the others in order of first appearance.
    order = {group[0]: 0}
    for g in group:
        order.setdefault(g, len(order))
    merged_rows = [None] * len(order)
    merged_accepting = [False] * len(order)
    for state, row in enumerate(rows):
        index = order[group[state]]
        merged_rows[index] = [order[group[target]] for target in row]
        merged_accepting[index] = accepting[state]
    return [t for row in merged_rows for t in row], merged_accepting


# The form in which the validator of the binding runtime recognises values of a base type before
# anything else (SimpleValues.hxx): for xs:dateTime, YYYY-MM-DDThh:mm:ss with the hour from 00
# to 23, the form that writers use.
COMMON_FORMS = {
    "date": "[0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])T([01][0-9]|2[0-3]):[0-5][0-9]:"
            "[0-5][0-9]",
}


def translate(patterns, kind=None):
    """The automaton of a restriction's patterns (several patterns of one restriction match
    when any of them does), for a base type of this attribute kind. Raises PatternError with the
    reason for one it cannot translate."""
    trees = []
    for text in patterns:
        try:
            trees.append(_Parser(text).parse())
        except PatternError as error:
            raise PatternError(f'pattern "{text}": {error}') from None
    tree = trees[0] if len(trees) == 1 else ("alt", trees)
    nfa = _Nfa()
    start, end = nfa.build(tree)
    masks = sorted({mask for edges in nfa.edges for mask, _ in edges})
    byte_class, class_count = _byte_classes(masks)
    representative = [byte_class.index(c) for c in range(class_count)]

    states = {nfa.closure([start]): 0}
    pending = [nfa.closure([start])]
    rows, accepting = [], []
    while pending:
        current = pending.pop(0)
        accepting.append(end in current)
        row = []
        for c in range(class_count):
            byte = representative[c]
            targets = [t for s in current for mask, t in nfa.edges[s] if (mask >> byte) & 1]
            following = nfa.closure(targets)
            if following not in states:
                if len(states) >= 4 * MAX_STATES:
                    raise PatternError(f'pattern "{" | ".join(patterns)}" needs more than '
                                       f'{MAX_STATES} states')
                states[following] = len(states)
                pending.append(following)
            row.append(states[following])
        rows.append(row)
    flat, accepting = _minimal(rows, accepting, class_count)
    if len(accepting) > MAX_STATES:
        raise PatternError(f'pattern "{" | ".join(patterns)}" needs more than {MAX_STATES} states')
    automaton = Automaton(" | ".join(patterns), byte_class, class_count, flat, accepting)
    if kind in COMMON_FORMS:
        automaton.covers_common_form = automaton.covers(translate([COMMON_FORMS[kind]]))
    return automaton
