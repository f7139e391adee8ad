"""Every module of the collection runs through this action on the control
node. It only fills in pelk_path when the task gives none and pelk is not
on PATH: the pelk built in the PELK checkout this collection is used from,
so playbooks run from a checkout as they stand."""

import os
import shutil

from ansible.plugins.action import ActionBase

# plugins/action/ -> plugins -> storage -> pelk -> ansible_collections ->
# ansible -> the checkout
_CHECKOUT = os.path.join(os.path.dirname(os.path.realpath(__file__)),
                         *([os.pardir] * 6))


def checkout_pelk():
    program = os.path.normpath(os.path.join(_CHECKOUT, 'build', 'pelk'))
    if os.path.isfile(program) and os.access(program, os.X_OK):
        return program
    return None


class ActionModule(ActionBase):

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        del tmp
        arguments = dict(self._task.args)
        if not arguments.get('pelk_path') and shutil.which('pelk') is None:
            program = checkout_pelk()
            if program is not None:
                arguments['pelk_path'] = program
        result.update(self._execute_module(
            module_name=self._task.resolved_action or self._task.action,
            module_args=arguments,
            task_vars=task_vars))
        return result
