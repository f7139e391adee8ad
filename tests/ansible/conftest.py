# playbook_test.py drives ansible-playbook against simulators it is given
# on its command line (ctest runs it); pytest collects the others alone.
collect_ignore = ["playbook_test.py"]
