"""Which command lines leave the array as it is.

The command module sends such lines in check mode and reports changed only
for the others. A line is read the way pelk reads it: its keywords may be
abbreviated while the abbreviation is unambiguous in its list, an exact
keyword wins, and the scan of a list stops at the second keyword the token
is a prefix of. Whatever cannot be told for sure counts as a change.
"""

# The root commands in pelk's list order, with what each does to the array:
# False reads or acts on the session only, True may change the array, and a
# list names the commands whose next keyword decides.
_ROOT = (
    ('ADD', True),
    ('CAPTURE', False),          # writes local files, reads the array
    ('DEBUG', False),            # a full word: never abbreviated
    ('DELETE', True),
    ('EMVERSION', False),
    ('EXERCISE_DISK', 'exercise'),
    ('EXIT', False),
    ('FILE', True),              # runs a script: anything may change
    ('HELP', False),
    ('REDISCOVER', True),
    ('REGRESSION', True),        # runs a script too
    ('RESTART', True),
    ('SELECT', False),
    ('SET', 'set'),
    ('SHOW', False),
    ('SHUTDOWN', True),
)
_FULL_WORDS = ('DEBUG',)

_NEXT = {
    'exercise': (('START', True), ('STOP', True), ('SUMMARY', False)),
    'set': (('CELL', True), ('DISK', True), ('DISK_GROUP', True),
            ('DR_GROUP', True), ('FOLDER', True), ('GROUP', True),
            ('HOST', True), ('MONITOR', True), ('OPTIONS', False),
            ('STORAGE', True), ('SYSTEM', True), ('VDISK', True)),
}


def _tokens(text):
    """The tokens of a line as pelk splits them (plain or bracketed)."""
    position = 0
    while position < len(text):
        while position < len(text) and text[position] == ' ':
            position += 1
        if position == len(text):
            return
        if text[position] in '("':
            position += 1
            while position < len(text) and text[position] == ' ':
                position += 1
            start, depth = position, 1
            while position < len(text):
                character = text[position]
                if character in '")':
                    depth -= 1
                elif character == '(':
                    depth += 1
                if depth == 0:
                    break
                position += 1
            if depth != 0 or position == start:
                return
            yield text[start:position]
            position += 1
        else:
            start = position
            position += 1
            while position < len(text) and text[position] not in ' =':
                position += 1
            yield text[start:position]


def _match(word, entries):
    """The entry whose keyword `word` selects, or None (no match, or an
    ambiguous abbreviation)."""
    candidate = None
    upper = word.upper()
    for entry in entries:
        keyword = entry[0]
        if not keyword.startswith(upper):
            continue
        if keyword == upper:
            return entry
        if candidate is not None:
            return None
        if keyword not in _FULL_WORDS:
            candidate = entry
    return candidate


def _as_read(text):
    """The line as pelk reads it: without the control and non-ASCII
    characters at its end, a TAB between words read as a blank."""
    end = len(text)
    while end > 0 and not 32 < ord(text[end - 1]) < 128:
        end -= 1
    return text[:end].replace('\t', ' ')


def is_comment(text):
    """Lines pelk skips without a result: blank lines and comments."""
    read = _as_read(text).lstrip(' ')
    return read == '' or read.startswith('!')


def changes_array(text):
    """False when the line certainly leaves the array as it is."""
    if is_comment(text):
        return False
    text = _as_read(text)
    if any(not 32 <= ord(c) <= 126 for c in text):
        return True  # refused by pelk, or read some way not told here
    words = list(_tokens(text))
    entries = _ROOT
    for word in words:
        if word.startswith('?'):
            return False  # help
        entry = _match(word, entries)
        if entry is None:
            return True
        effect = entry[1]
        if isinstance(effect, bool):
            return effect
        entries = _NEXT[effect]
    return True
