"""Reading pelk-sim's request log (--log) in the playbooks' assertions."""

# The operations that only read.
READS = frozenset(('Get', 'getproperties', 'getobjectlist', 'getsysteminfo',
                   'diskexercisesummary'))


def operations(log, before=''):
    """The operations of the requests logged after `before` (the log as it
    was), as 'Operation Type'. A request line reads
    PORT POST PATH USER OPERATION [TYPE] -> RESULT."""
    found = []
    for line in log.splitlines()[len(before.splitlines()):]:
        fields = line.split()
        if len(fields) >= 6 and fields[0] != 'control' and \
                fields[1] == 'POST' and fields[3] != '->':
            found.append(' '.join(fields[4:fields.index('->')]))
    return found


def changing_requests(log, before=''):
    """The requests logged after `before` that may change the array."""
    return [op for op in operations(log, before)
            if op.split()[0] not in READS]


def subset_of(predicted, actual):
    """Whether every property check mode predicted is what the real run
    found (which shows the properties not asked for too)."""
    return all(actual.get(key) == value for key, value in predicted.items())


class FilterModule(object):

    def filters(self):
        return dict(sim_operations=operations,
                    changing_requests=changing_requests,
                    subset_of=subset_of)
