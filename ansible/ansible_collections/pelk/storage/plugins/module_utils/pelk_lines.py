"""Values written on a pelk command line.

pelk reads a line as tokens. A plain token runs to the next blank or '=';
a token that starts with a double quote or '(' is bracketed: it runs to
the double quote or ')' that brings the bracket depth back to zero, '('
raising it, so parentheses inside must be balanced. The blanks right after
the opening bracket are skipped, and a token that starts with '?' asks for
help. There is no escape character: a backslash is an ordinary character
and a double quote can never be part of a value. A COMMENT= text is read
differently: a double quote, then everything up to the next double quote,
and it may not be empty.

Every value a module puts on a line passes through here, so a value pelk
would read differently from what was meant is refused before anything is
sent.
"""

# The characters the manager refuses in names and comments, as pelk
# checks them before sending.
FORBIDDEN = '?"/\\<>*|:&+,%'
NAME_LIMIT = 32
COMMENT_LIMIT = 128


class LineError(ValueError):
    """A value that cannot be written on a pelk command line as meant."""


def _printable(value, what):
    if not isinstance(value, str):
        raise LineError("%s must be a text, not %r" % (what, value))
    for character in value:
        if not 32 <= ord(character) <= 126:
            raise LineError(
                "%s %r holds a character pelk does not accept on a command "
                "line (printable ASCII only)" % (what, value))


def _balanced(value):
    depth = 0
    for character in value:
        if character == '(':
            depth += 1
        elif character == ')':
            depth -= 1
            if depth < 0:
                return False
    return depth == 0


def token(value, what='name'):
    """`value` as one token of a command line: plain when pelk reads it
    whole that way, else in double quotes."""
    _printable(value, what)
    if value == '':
        raise LineError("%s must not be empty" % what)
    if '"' in value:
        raise LineError("%s %r holds a double quote, which no pelk command "
                        "line can carry" % (what, value))
    if value.startswith('?'):
        raise LineError("%s %r starts with '?', which asks pelk for help"
                        % (what, value))
    plain = not any(c in value for c in ' =') and value[0] != '('
    if plain:
        return value
    if value[0] == ' ':
        raise LineError("%s %r starts with a blank, which pelk skips"
                        % (what, value))
    if not _balanced(value):
        raise LineError("%s %r has unbalanced parentheses, which end a "
                        "quoted value early" % (what, value))
    return '"%s"' % value


def check_text(value, what, limit):
    """A name or comment as the manager accepts it: at most `limit`
    printable characters, none of FORBIDDEN."""
    _printable(value, what)
    if len(value) > limit:
        raise LineError("%s %r is longer than %d characters"
                        % (what, value, limit))
    for character in value:
        if character in FORBIDDEN:
            raise LineError("%s %r holds %r, which the manager refuses "
                            "(none of %s)" % (what, value, character,
                                              FORBIDDEN))
    return value


def check_leaf(leaf, what='name'):
    """The own name of a new object (the part after its folder)."""
    if leaf == '':
        raise LineError("%s must not be empty" % what)
    return check_text(leaf, what, NAME_LIMIT)


def comment(text):
    """The COMMENT= option for `text`. pelk reads no empty comment, so an
    empty text has no option (None)."""
    check_text(text, 'comment', COMMENT_LIMIT)
    if text == '':
        return None
    return 'COMMENT="%s"' % text


def option(keyword, value, what=None):
    """KEYWORD=token."""
    return '%s=%s' % (keyword, token(value, what or keyword.lower()))


def line(*pieces):
    """A command line of the pieces given, leaving out those that are
    None (options not asked for)."""
    return ' '.join(piece for piece in pieces if piece is not None)
