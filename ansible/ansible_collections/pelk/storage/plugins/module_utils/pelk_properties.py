"""Properties of an object: a module's table of them, and the plan that
brings an object from what PELK shows to what the task wants.

Each row names a module parameter, the key under which PELK shows the
property (SHOW ... in --json), how the shown text reads in the parameter's
terms, and the option that gives it on ADD and SET. Comparing in the
parameter's terms on the values PELK shows is what makes a second run find
nothing to do.
"""

from ansible_collections.pelk.storage.plugins.module_utils.pelk_lines import (
    LineError, comment, token)


class Unchangeable(Exception):
    """A wanted value that the object cannot take while it exists."""


class Property(object):
    """One property of a kind of object.

    read(shown text) -> value in the parameter's terms
    want(parameter value) -> the same terms (a name as listed, say)
    option(value) -> the option that gives the value on ADD and SET, or
        None when there is none (an empty comment)
    set_option(current, wanted) -> the SET option, where it differs
    settable: False when no SET changes it on a live object; or a function
        (current, wanted) returning why not, or None when it may change
    on_add: False when ADD takes no such option, so it is set right after
    """

    def __init__(self, param, shown, read=None, want=None, option=None,
                 set_option=None, settable=True, on_add=True):
        self.param = param
        self.shown = shown
        self.read = read or (lambda text: text)
        self.want = want or (lambda value: value)
        self.option = option
        self.set_option = set_option or (lambda old, new: option(new))
        self.settable = settable
        self.on_add = on_add


def choice(param, shown, pairs, settable=True, keyword=None):
    """A property shown as one of a few texts: `pairs` of (parameter value,
    shown text, option keyword). Shown texts compare without regard to
    case; an unknown one reads as it stands (and so never matches)."""
    by_shown = dict((text.lower(), value) for value, text, _ in pairs)
    by_value = dict((value, option) for value, _, option in pairs)

    def option(value):
        found = by_value[value]
        return found if keyword is None else '%s=%s' % (keyword, found)
    return Property(param, shown,
                    read=lambda text: by_shown.get(text.strip().lower(),
                                                   text),
                    option=option, settable=settable)


def switch(param, shown, on, off, on_text, off_text):
    """A yes/no property: `on`/`off` are its option keywords, `on_text` and
    `off_text` how PELK shows them."""
    return choice(param, shown, ((True, on_text, on), (False, off_text, off)))


def number(text):
    """The leading number of a shown text ('20 GB', '95 %'), or the text
    itself when it has none."""
    word = text.strip().split(' ')[0] if text.strip() else ''
    return int(word) if word.isdigit() else text


def bounded(low, high, what):
    """A number parameter pelk takes only from `low` to `high`."""
    def check(value):
        if not low <= value <= high:
            raise LineError('%s must be %d to %d, not %d' % (what, low, high,
                                                              value))
        return value
    return check


def comment_property(shown='Comments'):
    return Property('comment', shown, option=comment)


def named_option(keyword, what):
    """KEYWORD=name, the name quoted as the command line needs."""
    return lambda value: '%s=%s' % (keyword, token(value, what))


def numbered_option(keyword):
    return lambda value: '%s=%d' % (keyword, value)


def view(properties, shown):
    """The properties of an object as PELK shows it, in parameter terms."""
    found = {}
    for prop in properties:
        if prop.shown in shown:
            found[prop.param] = prop.read(shown[prop.shown])
    return found


def wanted(properties, params):
    """The properties a task asks for (its parameters that are set), in
    the same terms as view()."""
    asked = {}
    for prop in properties:
        value = params.get(prop.param)
        if value is not None:
            asked[prop.param] = prop.want(value)
    return asked


def add_options(properties, asked):
    """The options of an ADD line for the properties asked for, in table
    order (None for those that give no option, such as an empty comment)."""
    return [prop.option(asked[prop.param]) for prop in properties
            if prop.param in asked and prop.on_add]


def set_after_add(properties, asked):
    """The properties asked for that ADD cannot give, as (property, None,
    wanted value), to be set right after it."""
    return [(prop, None, asked[prop.param]) for prop in properties
            if prop.param in asked and not prop.on_add and
            prop.option(asked[prop.param]) is not None]


def changes(properties, current, asked, what):
    """The properties to set, as (property, current value, wanted value).
    Raises Unchangeable, naming every property that cannot change."""
    found, refused = [], []
    for prop in properties:
        if prop.param not in asked:
            continue
        value = asked[prop.param]
        old = current.get(prop.param)
        if old == value:
            continue
        reason = None
        if prop.settable is False:
            reason = 'it is set only when the %s is created' % what
        elif callable(prop.settable):
            reason = prop.settable(old, value)
        if reason is None and prop.set_option(old, value) is None:
            reason = 'pelk cannot set an empty value'
        if reason is not None:
            refused.append('%s cannot change from %r to %r on an existing '
                           '%s: %s' % (prop.param, old, value, what, reason))
        else:
            found.append((prop, old, value))
    if refused:
        raise Unchangeable('; '.join(refused))
    return found
